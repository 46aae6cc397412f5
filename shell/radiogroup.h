// A captioned group of radio buttons with a selected index (the program's radio group kind).
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace shell {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int ItemIndex() const { return m_group->checkedId(); }
    /// Selects item `index` (-1 none); emits clicked when `notify`.
    void SetItemIndex(int index, bool notify = true);
    int Count() const;
    QString ItemText(int i) const;
    void SetItemText(int i, const QString& text);

Q_SIGNALS:
    void clicked(int index);

private:
    QButtonGroup* m_group;
};

} // namespace shell
