#include "device/archiveframe.h"

#include "device/framekit.h"
#include "link/pagehost.h"
#include "platform/ini.h"
#include "platform/messages.h"
#include "platform/messageservice.h"
#include "reports/protocoldata.h"
#include "verification/results.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace device {
namespace {

Q_LOGGING_CATEGORY(lcArchive, "lorik.device.archive")

} // namespace

TFrameArchive::TFrameArchive(devlink::IPageHost* host, QWidget* parent)
    : TDeviceFrame(host, parent), m_model(this)
{
    BitBtn_Load = Named(new QPushButton(QStringLiteral("Открыть"), this), "BitBtn_Load");
    Label_ArcPath = Named(new QLabel(this), "Label_ArcPath");
    Label_FileInfo = Named(new QLabel(this), "Label_FileInfo");
    ListView1 = Named(new QTableView(this), "ListView1");
    ListView1->setModel(&m_model);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->verticalHeader()->hide();
    ListView1->horizontalHeader()->setSectionsClickable(true);
    btnToExcell = Named(new QPushButton(QStringLiteral("В результаты поверки"), this), "btnToExcell");
    btnToExcell->setEnabled(false);
    lab_cSelected = Named(new QLabel(this), "lab_cSelected");
    lab_cSelected->hide();
    btnSaveCsv = Named(new QPushButton(QStringLiteral("Сохранить CSV"), this), "btnSaveCsv");
    btnSaveCsv->setToolTip(QStringLiteral("Сохранить отмеченные записи (или все) в файл CSV"));

    auto* top = new QHBoxLayout;
    top->addWidget(BitBtn_Load);
    top->addWidget(Label_ArcPath, 1);
    top->addWidget(Label_FileInfo);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(btnToExcell);
    bottom->addWidget(lab_cSelected);
    bottom->addStretch();
    bottom->addWidget(btnSaveCsv);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ListView1, 1);
    layout->addLayout(bottom);

    connect(BitBtn_Load, &QPushButton::clicked, this, [this] { BitBtn_LoadClick(); });
    connect(btnToExcell, &QPushButton::clicked, this, [this] { btnToExcellClick(); });
    connect(btnSaveCsv, &QPushButton::clicked, this, [this] { btnSaveCsvClick(); });
    // every click sorts ascending again
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { m_model.sort(c); });
    connect(&m_model, &ArchiveModel::checkedCountChanged, this, [this](int n) { Recount(n); });
    ShowCount();
}

void TFrameArchive::NewProject()
{
    m_model.Clear();
    Label_ArcPath->clear();
    ShowCount();
}

void TFrameArchive::ShowCount()
{
    Label_FileInfo->setText(QStringLiteral("Загружено записей: ") + QString::number(m_model.rowCount()));
}

void TFrameArchive::Recount(int checked)
{
    btnToExcell->setEnabled(checked > 0);
    lab_cSelected->setVisible(checked > 0);
    lab_cSelected->setText(QStringLiteral("Выбрано: ") + QString::number(checked) + QStringLiteral(" точек"));
}

void TFrameArchive::BitBtn_LoadClick()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("Файл архива ЛОРИК (*.zip)"));
    if (path.isEmpty()) {
        ShowCount();
        return;
    }
    LoadArchive(path);
}

bool TFrameArchive::LoadArchive(const QString& path)
{
    Label_ArcPath->setText(path);
    ArchiveLoad load = ReadArchiveFile(path);
    if (!load.Ok()) qCWarning(lcArchive) << path << load.reason;
    m_model.SetRecords(load.Ok() ? std::move(load.records) : std::vector<ArchiveRecord>());
    ShowCount();
    if (!load.Ok()) platform::ErrorMessage(9);
    return load.Ok();
}

void TFrameArchive::btnToExcellClick()
{
    const std::vector<const ArchiveRecord*> rows = m_model.CheckedRecords();
    if (rows.empty()) return;
    verification::ResultList& results = verification::Results();
    // measured points are not thrown away unasked
    if (results.count > 0 &&
        !platform::Messages().Ask(QString(), QStringLiteral("Удалить все измеренные значения!")))
        return;
    const TransferOutcome out = TransferArchiveRows(rows, results, reports::Protocol());
    Host()->SetReportField(QStringLiteral("amp_CD_DATE"), out.date);
    Host()->SetReportField(QStringLiteral("amp_D1_SERIAL"), out.serial);
    Host()->ShowResults();
    if (out.taken < out.offered)
        platform::Messages().Show(
            platform::MessageService::Kind::Warning, QString(),
            QStringLiteral("В результаты поверки перенесено записей: %1 из %2 (больше список не вмещает).")
                .arg(out.taken)
                .arg(out.offered));
}

void TFrameArchive::btnSaveCsvClick()
{
    const QString path =
        QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty()) SaveCsv(path);
}

bool TFrameArchive::SaveCsv(const QString& path)
{
    std::vector<const ArchiveRecord*> rows = m_model.CheckedRecords();
    if (rows.empty())
        for (int i = 0; i < m_model.rowCount(); ++i)
            rows.push_back(&m_model.Record(i));
    if (!platform::WriteFileAtomically(path, ArchiveTable(rows, QLatin1Char(';')).toUtf8())) {
        platform::ErrorMessageFmt(1, path);
        return false;
    }
    return true;
}

} // namespace device
