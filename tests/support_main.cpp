// main() of every test program.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Without a session bus, the toolkit's accessibility bridge and SDL each fork a helper
    // to start one (D-Bus "autolaunch"). A fork while another thread holds the sanitizer's
    // allocator lock leaves the child stuck, and the parent waits for it for ever: the
    // tests run with a bus address that simply does not answer. One already set is kept.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vq-test-bus", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
