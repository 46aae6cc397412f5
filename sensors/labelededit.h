// Component kinds of our own that several frames use: the labelled edit (an edit field with its
// caption beside it), and the mark that keeps a component's texts out of translation.
//
// A labelled edit is a component of the kind TLabeledEdit: project files store its text as they
// store an edit's. Its caption is a TBoundLabel that belongs to the edit, not to the frame: it
// carries no name, so the component walks (projects, translation) never take it for a component of
// its own, and it follows the edit's visibility and enabled state.
#pragma once

#include <QLabel>
#include <QLineEdit>

namespace sensors {

/// The caption of a labelled edit.
class TBoundLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    /// An edit named `name` with the caption `caption`; the caption is a sibling of the edit (a
    /// child of `parent`) for the frame's layout to place.
    TLabeledEdit(const QString& name, const QString& caption, QWidget* parent);

    TBoundLabel* EditLabel() const { return m_label; }
    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* e) override;

private:
    TBoundLabel* m_label;
};

/// Keeps the texts of `w` (its items, caption and hint) out of translation: lists whose items are
/// data, not words of the interface.
void KeepUntranslated(QWidget* w);
bool IsKeptUntranslated(const QObject* o);

} // namespace sensors
