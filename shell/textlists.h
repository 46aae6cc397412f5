// The main window's hidden text lists: translatable resources read by index ("strConst_Msg"), and
// three lists that no operation reads but that take part in translation like every other text.
#pragma once

#include <QStringList>

class QWidget;

namespace shell {

/// "strConst_Msg": 49 entries; 2 "Есть связь", 3 "Нет связи", 8 the connection failure, 9 the
/// no-link message, 29 "Не указан параметр", 30 the caption "АРМ ЛОРИК".
QStringList MessageList();

/// Creates the four hidden lists on `page`.
void BuildTextLists(QWidget* page);

/// Indices of "strConst_Msg" the program reads.
enum MsgIndex {
    kMsgLinkUp = 2,
    kMsgLinkDown = 3,
    kMsgConnectFailed = 8,
    kMsgNoLink = 9,
    kMsgMissingField = 29,
    kMsgCaption = 30
};

} // namespace shell
