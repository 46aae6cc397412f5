#include "measure/reportview.h"

#include "measure/reportmodel.h"

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace measure {
namespace {

class TReportTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* w = opt.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        const QString text = opt.text;
        opt.text.clear();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, p, w); // the selection
        if (text.isEmpty()) return;
        const QStaticText& laid = Laid(text, opt.font);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
        const QRect r = opt.rect.adjusted(margin, 0, -margin, 0);
        const QPalette::ColorGroup group =
            opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        p->save();
        p->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                              : QPalette::Text));
        p->setClipRect(r);
        p->drawStaticText(QPointF(r.left(), r.top() + (r.height() - laid.size().height()) / 2), laid);
        p->restore();
    }

private:
    const QStaticText& Laid(const QString& text, const QFont& font) const
    {
        if (font != m_font) {
            m_cache.clear();
            m_font = font;
        }
        auto it = m_cache.find(text);
        if (it != m_cache.end()) return *it;
        if (m_cache.size() > 512) m_cache.clear(); // a few screens of rows
        QStaticText laid(text);
        laid.setTextFormat(Qt::PlainText);
        laid.prepare(QTransform(), font);
        return *m_cache.insert(text, laid);
    }

    mutable QHash<QString, QStaticText> m_cache;
    mutable QFont m_font;
};

} // namespace

TReportView::TReportView(TReportListModel* model, const QList<int>& widths, QWidget* parent)
    : QTableView(parent)
{
    setModel(model);
    setItemDelegate(new TReportTextDelegate(this));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide(); // the first column numbers the rows
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    int total = 0;
    for (int c = 0; c < widths.size(); ++c) {
        setColumnWidth(c, widths[c]);
        total += widths[c];
    }
    setMinimumWidth(total + 24);
}

} // namespace measure
