// The numbered message table, for the shell under its own namespace (see platform/messages.h).
#pragma once

#include "platform/messages.h"

namespace shell {

using platform::ErrorMessage;
using platform::ErrorMessageFmt;
using platform::FormatMessage;
using platform::kLastMessage;
using platform::MessageText;
using platform::Question;
using platform::QuestionFmt;

} // namespace shell
