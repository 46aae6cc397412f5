// The message service of the running program: modal QMessageBox boxes. Unattended (closing on a
// termination signal) it shows nothing and answers questions with the safe default, OK.
#pragma once

#include "platform/messageservice.h"

namespace shell {

class BoxMessageService : public platform::MessageService {
public:
    void Show(Kind kind, const QString& caption, const QString& text) override;
    bool Ask(const QString& caption, const QString& text) override;
};

} // namespace shell
