#include "shell/translation.h"

#include "sensors/labelededit.h"
#include "shell/components.h"
#include "shell/radiogroup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace shell {
namespace {

const QString kSection = QStringLiteral("Translate");

class Walker {
public:
    Walker(platform::IniFile& file, bool save) : m_file(file), m_save(save) {}

    void Text(const QString& where, QString& t)
    {
        ++m_count;
        // Every text has a place of its own; should two components share a name, the second's
        // texts still get ids of their own.
        QString path = where;
        for (int n = 2; m_seen.contains(path); ++n)
            path = where + QStringLiteral("#") + QString::number(n);
        m_seen.insert(path);
        if (t.isEmpty() || t == QStringLiteral("0")) return;
        const QString id = TextId(path);
        if (m_save)
            m_file.SetValue(kSection, id, t);
        else
            t = m_file.HasKey(kSection, id) ? m_file.Value(kSection, id) : QStringLiteral("?-id ") + id;
    }

    template <typename Get, typename Set> void Prop(const QString& path, Get get, Set set)
    {
        QString t = get();
        const QString before = t;
        Text(path, t);
        if (t != before) set(t);
    }

    void Walk(QObject* owner, const QString& prefix)
    {
        for (QObject* c : OwnedComponents(owner)) {
            const QString path = prefix + QLatin1Char('/') + c->objectName();
            const QMetaObject* mo = c->metaObject();
            // a labelled edit's caption is the edit's own; lists of data carry no words to translate
            if (mo == &sensors::TBoundLabel::staticMetaObject || sensors::IsKeptUntranslated(c)) continue;
            if (auto* w = qobject_cast<QWidget*>(c); w && !IsOwner(c))
                Prop(
                    path + QStringLiteral("#hint"), [w] { return w->toolTip(); },
                    [w](const QString& t) { w->setToolTip(t); });
            if (IsOwner(c)) {
                if (auto* w = qobject_cast<QWidget*>(c))
                    Prop(
                        path + QStringLiteral("#hint"), [w] { return w->toolTip(); },
                        [w](const QString& t) { w->setToolTip(t); });
                Walk(c, path);
                continue;
            }
            if (mo == &QAction::staticMetaObject) {
                auto* a = static_cast<QAction*>(c);
                Prop(
                    path, [a] { return a->text(); }, [a](const QString& t) { a->setText(t); });
            } else if (mo == &QMenu::staticMetaObject) {
                auto* m = static_cast<QMenu*>(c);
                Prop(
                    path, [m] { return m->title(); }, [m](const QString& t) { m->setTitle(t); });
            } else if (mo == &QPushButton::staticMetaObject) {
                auto* b = static_cast<QPushButton*>(c);
                Prop(
                    path, [b] { return b->text(); }, [b](const QString& t) { b->setText(t); });
            } else if (mo == &QCheckBox::staticMetaObject) {
                auto* b = static_cast<QCheckBox*>(c);
                Prop(
                    path, [b] { return b->text(); }, [b](const QString& t) { b->setText(t); });
            } else if (mo == &QGroupBox::staticMetaObject) {
                auto* g = static_cast<QGroupBox*>(c);
                Prop(
                    path, [g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); });
            } else if (mo == &QLabel::staticMetaObject) {
                auto* l = static_cast<QLabel*>(c);
                Prop(
                    path, [l] { return l->text(); }, [l](const QString& t) { l->setText(t); });
            } else if (mo == &QTabWidget::staticMetaObject) {
                auto* tw = static_cast<QTabWidget*>(c);
                // a page by its name: removing a page (the Calibration page) shifts no other
                for (int i = 0; i < tw->count(); ++i) {
                    const QString page = tw->widget(i)->objectName();
                    const QString where = page.isEmpty() ? QStringLiteral("#page") + QString::number(i)
                                                         : QStringLiteral("#page:") + page;
                    Prop(
                        path + where, [tw, i] { return tw->tabText(i); },
                        [tw, i](const QString& t) { tw->setTabText(i, t); });
                }
            } else if (mo == &QTabBar::staticMetaObject && !qobject_cast<QTabWidget*>(c->parent())) {
                auto* tb = static_cast<QTabBar*>(c);
                for (int i = 0; i < tb->count(); ++i)
                    Prop(
                        path + QStringLiteral("#tab") + QString::number(i),
                        [tb, i] { return tb->tabText(i); },
                        [tb, i](const QString& t) { tb->setTabText(i, t); });
            } else if (mo == &QComboBox::staticMetaObject) {
                auto* cb = static_cast<QComboBox*>(c);
                // port and number lists are left alone
                if (cb->count() > 0 &&
                    (cb->itemText(0) == QStringLiteral("COM1") || cb->itemText(0) == QStringLiteral("1")))
                    continue;
                for (int i = 0; i < cb->count(); ++i)
                    Prop(
                        path + QStringLiteral("#item") + QString::number(i),
                        [cb, i] { return cb->itemText(i); },
                        [cb, i](const QString& t) { cb->setItemText(i, t); });
            } else if (mo == &QListWidget::staticMetaObject) {
                // the hidden text lists of the main window are translatable resources
                auto* lw = static_cast<QListWidget*>(c);
                for (int i = 0; i < lw->count(); ++i)
                    Prop(
                        path + QStringLiteral("#item") + QString::number(i),
                        [lw, i] { return lw->item(i)->text(); },
                        [lw, i](const QString& t) { lw->item(i)->setText(t); });
            } else if (mo == &TRadioGroup::staticMetaObject) {
                auto* g = static_cast<TRadioGroup*>(c);
                Prop(
                    path, [g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); });
                for (int i = 0; i < g->Count(); ++i)
                    Prop(
                        path + QStringLiteral("#item") + QString::number(i),
                        [g, i] { return g->ItemText(i); },
                        [g, i](const QString& t) { g->SetItemText(i, t); });
            } else if (mo == &QTreeWidget::staticMetaObject) {
                auto* tw = static_cast<QTreeWidget*>(c);
                QTreeWidgetItem* h = tw->headerItem();
                for (int i = 0; h && i < h->columnCount(); ++i)
                    Prop(
                        path + QStringLiteral("#column") + QString::number(i), [h, i] { return h->text(i); },
                        [h, i](const QString& t) { h->setText(i, t); });
            }
        }
    }

    int Count() const { return m_count; }

private:
    platform::IniFile& m_file;
    bool m_save;
    int m_count = 0;
    QSet<QString> m_seen;
};

} // namespace

QString TextId(const QString& path)
{
    // FNV-1a over the UTF-16 path, folded to 31 bits: a positive decimal id.
    std::uint32_t h = 2166136261u;
    for (QChar c : path) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return QString::number(h & 0x7FFFFFFFu);
}

int TranslateWindow(QWidget* window, platform::IniFile& file, bool save)
{
    if (!window) return 0;
    Walker w(file, save);
    w.Walk(window, window->objectName());
    return w.Count();
}

} // namespace shell
