#include "shell/radiogroup.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shell {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), m_group(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        // the buttons are parts of the group, not components of their own: a private class
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QString());
        m_group->addButton(b, i);
        layout->addWidget(b);
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { Q_EMIT clicked(id); });
}

void TRadioGroup::SetItemIndex(int index, bool notify)
{
    if (QAbstractButton* b = m_group->button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton* c = m_group->checkedButton()) {
        m_group->setExclusive(false);
        c->setChecked(false);
        m_group->setExclusive(true);
    }
    if (notify) Q_EMIT clicked(ItemIndex());
}

int TRadioGroup::Count() const
{
    return int(m_group->buttons().size());
}

QString TRadioGroup::ItemText(int i) const
{
    QAbstractButton* b = m_group->button(i);
    return b ? b->text() : QString();
}

void TRadioGroup::SetItemText(int i, const QString& text)
{
    if (QAbstractButton* b = m_group->button(i)) b->setText(text);
}

} // namespace shell
