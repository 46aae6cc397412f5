// Translation of the main window's texts through a language file (section "Translate", one key per
// text id), and generation of such a file from the window's own texts.
//
// A text's id is a hash of where it sits (owner chain, component name, which of its texts; a tab
// page by the page's name), never of a position among other components, so the id is the same in
// the generating and the loading walk whatever else the window holds.
#pragma once

#include "platform/ini.h"

#include <QString>

class QWidget;

namespace shell {

/// Walks `window` and its frames: with `save` each text is written to `file`; otherwise each text
/// is replaced by the file's text of its id, or "?-id " + id when the key is missing. "" and "0"
/// stay unchanged. Returns the number of texts visited.
int TranslateWindow(QWidget* window, platform::IniFile& file, bool save);

/// The id of a text at `path` (a decimal number, stable between runs).
QString TextId(const QString& path);

} // namespace shell
