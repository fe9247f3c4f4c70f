#include "tests/tool/fake_dialog.h"

#include "platform/text/cp932.h"

namespace vqtest {

void FakeDialog::Open(const win::DialogDesc& desc, win::DialogHost* host) {
    host_ = host;
    controls_.clear();
    ended_ = false;
    code_ = -1;
    for (int i = 0; i < desc.controlCount; ++i) {
        const win::DialogControl& c = desc.controls[i];
        if (c.id != 0) controls_[c.id] = Control{c.kind, c.radioGroup, false, true, ""};
    }
}

int FakeDialog::Run(const win::DialogDesc& desc, win::DialogHost* host) {
    Open(desc, host);
    host->OnInit();
    if (user) user(*this);
    return ended_ ? code_ : -1;
}

void FakeDialog::SetChecked(int id, bool checked) {
    if (!HasControl(id)) return;
    Control& c = controls_[id];
    if (checked && c.kind == win::ControlKind::RadioButton) {
        for (auto& [otherId, other] : controls_) {
            if (other.kind == win::ControlKind::RadioButton && other.radioGroup == c.radioGroup) {
                other.checked = false;
            }
        }
    }
    c.checked = checked;
}

void FakeDialog::Click(int id) {
    if (!HasControl(id) || !controls_[id].enabled) return;
    Control& c = controls_[id];
    switch (c.kind) {
        case win::ControlKind::RadioButton:
            SetChecked(id, true);
            break;
        case win::ControlKind::CheckBox:
            c.checked = !c.checked;
            break;
        default:
            host_->OnCommand(id);
            break;
    }
}

void FakeDialog::TimerFires() {
    if (timerMs_ != 0) host_->OnTimer();
}

std::string FakeDialog::Utf8Text(int id) {
    std::string out;
    text::Cp932ToUtf8(At(id).text, &out);
    return out;
}

}  // namespace vqtest
