// The numbered message table and the boxes shown from it (through the one message service). Every
// subsystem shows them.
#pragma once

#include <QString>

namespace platform {

inline constexpr int kLastMessage = 20;

/// Text of message `n` (0..20), or "" for another number.
QString MessageText(int n);

/// Error box "Ошибка" with message `n`: 0 when closed with OK; -1 and no box for n above 20.
int ErrorMessage(int n);
/// The same with the entry used as a printf-style format for one text argument (at most 1023
/// characters).
int ErrorMessageFmt(int n, const QString& arg);
/// OK/Cancel question with message `n`: 0 for OK, 1 otherwise.
int Question(int n);
int QuestionFmt(int n, const QString& arg);

/// Formats a printf-style entry with one "%s" argument, cut to 1023 characters.
QString FormatMessage(const QString& format, const QString& arg);

} // namespace platform
