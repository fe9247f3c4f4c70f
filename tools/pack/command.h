// The packers' command line, shared by both programs:
//   <program> OUTPUT-FOLDER DATA-FOLDER NAME...
// Each NAME is read from DATA-FOLDER/NAME and stored under NAME, in the order given.
#pragma once

namespace pack {

enum class ArchiveKind { Volumes, Pictures };

// Runs the packer; returns the process exit code (0 on success, messages on stderr).
int RunPackerCommand(ArchiveKind kind, int argc, char** argv);

}  // namespace pack
