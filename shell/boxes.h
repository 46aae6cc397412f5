// The message service of the running program: modal QMessageBox boxes. Unattended (closing on a
// termination signal) or without a screen (offscreen) it logs the text instead and answers
// questions with the safe default, OK.
#pragma once

#include "platform/messageservice.h"

namespace shell {

class BoxMessageService : public platform::MessageService {
public:
    void Show(Kind kind, const QString& caption, const QString& text) override;
    bool Ask(const QString& caption, const QString& text) override;
};

} // namespace shell
