#include "shell/project.h"

#include "sensors/labelededit.h"
#include "shell/components.h"
#include "shell/radiogroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

namespace shell {
namespace {

const QString kExcluded = QStringLiteral("amp_CD_DATE");
const QString kPages = QStringLiteral("Pages");

bool InsideExcluded(const QObject* o)
{
    for (; o; o = o->parent())
        if (o->objectName() == kExcluded) return true;
    return false;
}

void Handle(QObject* c, platform::IniFile& ini, bool save)
{
    const QString section = SectionName(c);
    const QString key = c->objectName();
    if (key.isEmpty()) return;
    const QMetaObject* mo = c->metaObject();
    auto intValue = [&](int current) { return ini.IntValue(section, key, current); };
    // A control that shows something transient (a countdown) names the value to keep instead.
    if (save) {
        const QVariant kept = c->property("projectValue");
        if (kept.isValid()) {
            ini.SetValue(section, key, kept.toString());
            return;
        }
    }

    if (mo == &QLineEdit::staticMetaObject || mo == &sensors::TLabeledEdit::staticMetaObject) {
        auto* e = static_cast<QLineEdit*>(c);
        if (save)
            ini.SetValue(section, key, e->text());
        else if (ini.HasKey(section, key))
            e->setText(ini.Value(section, key));
    } else if (mo == &QSpinBox::staticMetaObject) {
        auto* s = static_cast<QSpinBox*>(c);
        if (save)
            ini.SetInt(section, key, s->value());
        else
            s->setValue(intValue(s->value()));
    } else if (mo == &QComboBox::staticMetaObject) {
        auto* cb = static_cast<QComboBox*>(c);
        if (save) {
            ini.SetInt(section, key, cb->currentIndex());
        } else {
            const int idx = intValue(0);
            {
                const QSignalBlocker block(cb);
                cb->setCurrentIndex(idx >= -1 && idx < cb->count() ? idx : -1);
            }
            Q_EMIT cb->currentIndexChanged(cb->currentIndex());
        }
    } else if (mo == &QListWidget::staticMetaObject) {
        auto* lw = static_cast<QListWidget*>(c);
        if (save)
            ini.SetInt(section, key, lw->currentRow());
        else {
            int idx = intValue(lw->currentRow());
            if (idx < 0) idx = 0;
            lw->setCurrentRow(idx < lw->count() ? idx : -1);
        }
    } else if (mo == &QSlider::staticMetaObject) {
        auto* s = static_cast<QSlider*>(c);
        if (save)
            ini.SetInt(section, key, s->value());
        else
            s->setValue(intValue(s->value()));
    } else if (mo == &QCheckBox::staticMetaObject) {
        auto* b = static_cast<QCheckBox*>(c);
        if (save) {
            ini.SetInt(section, key, b->isChecked() ? 1 : 0);
        } else {
            {
                const QSignalBlocker block(b);
                b->setChecked(intValue(b->isChecked() ? 1 : 0) != 0);
            }
            Q_EMIT b->clicked(b->isChecked());
        }
    } else if (mo == &QRadioButton::staticMetaObject) {
        auto* r = static_cast<QRadioButton*>(c);
        if (save) {
            ini.SetInt(section, key, r->isChecked() ? 1 : 0);
        } else {
            {
                const QSignalBlocker block(r);
                r->setChecked(intValue(r->isChecked() ? 1 : 0) != 0);
            }
            Q_EMIT r->clicked(r->isChecked());
        }
    } else if (mo == &QTabWidget::staticMetaObject) {
        if (key == kPages) return; // the main window always opens on its first page
        auto* tw = static_cast<QTabWidget*>(c);
        if (save) {
            ini.SetInt(section, key, tw->currentIndex());
        } else {
            const int idx = intValue(tw->currentIndex());
            {
                const QSignalBlocker block(tw);
                if (idx >= 0 && idx < tw->count()) tw->setCurrentIndex(idx);
            }
            Q_EMIT tw->currentChanged(tw->currentIndex());
        }
    } else if (mo == &TRadioGroup::staticMetaObject) {
        auto* g = static_cast<TRadioGroup*>(c);
        if (save) {
            ini.SetInt(section, key, g->ItemIndex());
        } else {
            g->SetItemIndex(intValue(g->ItemIndex()), false);
            Q_EMIT g->clicked(g->ItemIndex());
        }
    } else if (mo == &QPlainTextEdit::staticMetaObject) {
        auto* m = static_cast<QPlainTextEdit*>(c);
        const QString prefix = key + QStringLiteral("_str");
        if (save) {
            // the memo's old lines go first, so that no surplus line comes back on the next load
            for (const QString& k : ini.Keys(section))
                if (k.startsWith(prefix)) {
                    bool isNumber = false;
                    k.mid(prefix.size()).toInt(&isNumber);
                    if (isNumber) ini.RemoveKey(section, k);
                }
            const QStringList lines = m->toPlainText().split(QLatin1Char('\n'));
            if (!m->toPlainText().isEmpty())
                for (int i = 0; i < lines.size(); ++i)
                    ini.SetValue(section, prefix + QString::number(i), lines[i]);
        } else if (ini.HasKey(section, prefix + QStringLiteral("0"))) {
            QStringList lines;
            for (int i = 0; ini.HasKey(section, prefix + QString::number(i)); ++i)
                lines << ini.Value(section, prefix + QString::number(i));
            m->setPlainText(lines.join(QLatin1Char('\n')));
        }
    }
}

void Walk(QObject* owner, platform::IniFile& ini, bool save)
{
    // Loading can delete objects inside a control (a memo's text document): hold guarded pointers.
    std::vector<QPointer<QObject>> comps;
    for (QObject* c : OwnedComponents(owner))
        comps.emplace_back(c);
    for (QObject* c : comps) {
        if (!c) continue;
        if (InsideExcluded(c)) continue;
        if (IsOwner(c)) Walk(c, ini, save);
        Handle(c, ini, save);
    }
}

} // namespace

void WalkProject(platform::IniFile& ini, bool save)
{
    for (QWidget* w : ProgramWindows())
        if (w) {
            Walk(w, ini, save);
            Handle(w, ini, save);
        }
}

int LoadProject(const QString& path, QString* kept)
{
    if (kept) kept->clear();
    platform::IniFile ini;
    ini.Load(path);
    int result = 0;
    if (ini.UnreadLines() > 0) {
        result = 1;
        const QString bad = path + QStringLiteral(".bad");
        QFile::remove(bad);
        if (QFile::copy(path, bad) && kept) *kept = bad;
    }
    WalkProject(ini, false);
    return result;
}

int LoadSaveProject(const QString& path, bool save)
{
    platform::IniFile ini;
    ini.Load(path);
    WalkProject(ini, save);
    if (save && !ini.Save(path)) return -1;
    return 0;
}

} // namespace shell
