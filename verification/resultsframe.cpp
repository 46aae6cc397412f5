#include "verification/resultsframe.h"

#include "link/pagehost.h"
#include "platform/messages.h"
#include "platform/messageservice.h"
#include "reports/protocolmakerabi.h"
#include "reports/protocolmodule.h"
#include "verification/resultsmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcResults, "lorik.verification.results")

namespace verification {
namespace {

const QString kConforms = QStringLiteral("соответствует");
const QString kNotConforms = QStringLiteral("не соответствует");

QComboBox* Inspection(QWidget* parent, const char* name)
{
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QString::fromLatin1(name));
    cb->setEditable(true); // a remark may be typed; a text that is no item does not pass
    cb->setInsertPolicy(QComboBox::NoInsert);
    cb->addItems({kConforms, kNotConforms});
    cb->setCurrentIndex(-1);
    return cb;
}

bool ReadsConforms(const QComboBox* cb)
{
    return cb->currentIndex() == 0 && cb->currentText() == cb->itemText(0);
}

QLabel* Caption(QWidget* parent, const char* name, const char* text)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPushButton* Button(QWidget* parent, const char* name, const char* text)
{
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

QString AmpFieldText(const QWidget* control)
{
    if (const auto* e = qobject_cast<const QLineEdit*>(control)) return e->text();
    if (const auto* m = qobject_cast<const QPlainTextEdit*>(control))
        return m->toPlainText().remove(QLatin1Char('\r'));
    if (const auto* cb = qobject_cast<const QComboBox*>(control))
        return cb->currentText().remove(QLatin1Char('\r'));
    if (const auto* c = qobject_cast<const QCheckBox*>(control)) return c->text();
    return {};
}

std::vector<std::pair<QString, QString>> AmpFields(const QList<QWidget*>& controls)
{
    std::vector<std::pair<QString, QString>> in;
    for (const QWidget* c : controls)
        if (c && c->objectName().startsWith(QStringLiteral("amp_")))
            in.emplace_back(c->objectName(), AmpFieldText(c));
    // Each pair goes in its own place, except that the pairs whose keys are longer and contain its
    // key go just before it (in their own order): the key is "&" + the name without "amp_", so
    // comparing the names without the prefix compares the keys.
    const size_t n = in.size();
    std::vector<QString> keys(n);
    for (size_t i = 0; i < n; ++i)
        keys[i] = in[i].first.mid(4);
    std::vector<bool> placed(n, false);
    std::vector<std::pair<QString, QString>> out;
    out.reserve(n);
    std::function<void(size_t)> place = [&](size_t i) {
        if (placed[i]) return;
        placed[i] = true; // keys only grow along the chain, so it always ends
        for (size_t j = 0; j < n; ++j)
            if (!placed[j] && keys[j].size() > keys[i].size() && keys[j].contains(keys[i])) place(j);
        out.push_back(in[i]);
    };
    for (size_t i = 0; i < n; ++i)
        place(i);
    return out;
}

QString ShippedTemplateName(int kind, bool calibration)
{
    static const char* const kinds[3] = {"датчика давления", "датчика температуры", "вторичного прибора"};
    const int k = kind >= 0 && kind <= 2 ? kind : 0;
    return (calibration ? QStringLiteral("Протокол калибровки ") : QStringLiteral("Протокол поверки ")) +
           QString::fromUtf8(kinds[k]) + QStringLiteral(".xls");
}

TFrame_Chk_result::TFrame_Chk_result(devlink::IPageHost* host, QWidget* parent, reports::ProtocolData& data)
    : QFrame(parent), m_host(host), m_data(data), m_results(Results()), m_maker(&reports::ProtocolMaker()),
      m_journal(host->DataDir().isEmpty()
                    ? QString()
                    : host->DataDir() + QLatin1Char('/') + QString::fromLatin1(kJournalFileName))
{
    setObjectName(QStringLiteral("Frame_Chk_result1"));
    m_results = ResultList(); // the page starts with an empty list

    auto* layout = new QHBoxLayout(this);
    // the table on the left
    lv_Results = new QTableView(this);
    lv_Results->setObjectName(QStringLiteral("lv_Results"));
    m_model = new TResultsModel(m_results, m_data, lv_Results);
    lv_Results->setModel(m_model);
    lv_Results->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv_Results->setSelectionMode(QAbstractItemView::SingleSelection);
    lv_Results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv_Results->verticalHeader()->hide();
    lv_Results->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(lv_Results, 1);

    // the panels on the right
    auto* right = new QVBoxLayout;
    layout->addLayout(right);
    auto* rows = new QHBoxLayout;
    Btn_RemoveLine = Button(this, "Btn_RemoveLine", "Удалить выделенную запись");
    BitBtnClear = Button(this, "BitBtnClear", "Удалить все записи");
    rows->addWidget(Btn_RemoveLine);
    rows->addWidget(BitBtnClear);
    right->addLayout(rows);

    auto* inspection = new QGroupBox(QStringLiteral(" Осмотр и опробование "), this);
    inspection->setObjectName(QStringLiteral("gb_Inspection"));
    auto* ig = new QGridLayout(inspection);
    ig->addWidget(Caption(inspection, "lab_D1_NOTES", "Результаты внешнего осмотра"), 0, 0, 1, 2);
    amp_D1_NOTES = new QPlainTextEdit(inspection);
    amp_D1_NOTES->setObjectName(QStringLiteral("amp_D1_NOTES"));
    amp_D1_NOTES->setMaximumHeight(70);
    ig->addWidget(amp_D1_NOTES, 1, 0, 1, 2);
    amp_D1_CHECK_THT = Inspection(inspection, "amp_D1_CHECK_THT");
    amp_D1_CHECK_USG = Inspection(inspection, "amp_D1_CHECK_USG");
    amp_D1_CHECK_EL = Inspection(inspection, "amp_D1_CHECK_EL");
    amp_D1_CHECK_R = Inspection(inspection, "amp_D1_CHECK_R");
    ig->addWidget(Caption(inspection, "lab_D1_CHECK_THT", "Проверка герметичности"), 2, 0);
    ig->addWidget(amp_D1_CHECK_THT, 2, 1);
    ig->addWidget(Caption(inspection, "lab_D1_CHECK_USG", "Опробование"), 3, 0);
    ig->addWidget(amp_D1_CHECK_USG, 3, 1);
    ig->addWidget(Caption(inspection, "lab_D1_CHECK_EL", "Проверка эл. прочности изоляции"), 4, 0);
    ig->addWidget(amp_D1_CHECK_EL, 4, 1);
    ig->addWidget(Caption(inspection, "lab_D1_CHECK_R", "Проверка эл. сопр. изоляции"), 5, 0);
    ig->addWidget(amp_D1_CHECK_R, 5, 1);
    right->addWidget(inspection);

    auto* templ = new QGroupBox(QStringLiteral(" Шаблон протокола "), this);
    templ->setObjectName(QStringLiteral("gb_Template"));
    auto* tg = new QGridLayout(templ);
    edTempl_Dir = new QLineEdit(templ);
    edTempl_Dir->setObjectName(QStringLiteral("edTempl_Dir"));
    edTempl_Dir->setReadOnly(true);
    edTempl_Name = new QLineEdit(templ);
    edTempl_Name->setObjectName(QStringLiteral("edTempl_Name"));
    edTempl_Name->setReadOnly(true);
    edTempl_Name->setPlaceholderText(QStringLiteral("по виду поверки"));
    btn_SetDirTemplates = Button(templ, "btn_SetDirTemplates", "выбрать");
    pn_TemplExplore = new QFrame(templ);
    pn_TemplExplore->setObjectName(QStringLiteral("pn_TemplExplore"));
    pn_TemplExplore->setFrameShape(QFrame::StyledPanel);
    pn_TemplExplore->setCursor(Qt::PointingHandCursor);
    auto* pl = new QHBoxLayout(pn_TemplExplore);
    pl->setContentsMargins(4, 2, 4, 2);
    auto* explore = Caption(pn_TemplExplore, "lab_TemplExplore", "Каталог с шаблонами");
    explore->setAttribute(Qt::WA_TransparentForMouseEvents);
    pl->addWidget(explore);
    pn_TemplExplore->installEventFilter(this);
    tg->addWidget(edTempl_Dir, 0, 0, 1, 2);
    tg->addWidget(edTempl_Name, 1, 0);
    tg->addWidget(btn_SetDirTemplates, 1, 1);
    tg->addWidget(pn_TemplExplore, 2, 0, 1, 2);
    right->addWidget(templ);

    auto* office = new QGroupBox(QStringLiteral(" Офисный пакет "), this);
    office->setObjectName(QStringLiteral("gb_Office"));
    auto* ol = new QHBoxLayout(office);
    cbTypeMSExcell = new QRadioButton(QStringLiteral("MS Excell"), office);
    cbTypeMSExcell->setObjectName(QStringLiteral("cbTypeMSExcell"));
    cbTypeLibreOffice = new QRadioButton(QStringLiteral("Libre Office"), office);
    cbTypeLibreOffice->setObjectName(QStringLiteral("cbTypeLibreOffice"));
    // fixed hints (the language files translate them): what each choice needs here
    cbTypeMSExcell->setToolTip(QStringLiteral("Microsoft Excel в этой системе недоступен"));
    cbTypeLibreOffice->setToolTip(
        QStringLiteral("Протоколы заполняются в LibreOffice Calc: нужен пакет libreoffice-calc"));
    for (QRadioButton* r : {cbTypeMSExcell, cbTypeLibreOffice}) {
        r->setAutoExclusive(false); // neither may be checked
        ol->addWidget(r);
        // whatever checks or unchecks them (a click, a project), they show what can be used
        connect(r, &QRadioButton::toggled, this, [this] { ApplySuites(); });
        connect(r, &QRadioButton::clicked, this, [this] { ApplySuites(); });
    }
    right->addWidget(office);

    ToExcell = Button(this, "ToExcell", "в Excell");
    right->addWidget(ToExcell);
    Label_wait = Caption(this, "Label_wait", "Создание протокола ...");
    QFont bold = Label_wait->font();
    bold.setBold(true);
    Label_wait->setFont(bold);
    Label_wait->hide();
    right->addWidget(Label_wait);
    right->addStretch(1);

    m_projectSave = new QTimer(this); // unnamed: no component of the page
    m_projectSave->setSingleShot(true);
    m_projectSave->setInterval(0);
    connect(m_projectSave, &QTimer::timeout, this, [this] {
        if (m_journalActive) m_host->SaveProject();
    });

    connect(Btn_RemoveLine, &QPushButton::clicked, this, [this] { Btn_RemoveLineClick(); });
    connect(BitBtnClear, &QPushButton::clicked, this, [this] { BitBtnClearClick(); });
    connect(btn_SetDirTemplates, &QPushButton::clicked, this, [this] { btn_SetDirTemplatesClick(); });
    connect(ToExcell, &QPushButton::clicked, this, [this] { ToExcellClick(); });
    connect(lv_Results->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (lv_Results->selectionModel()->hasSelection()) Btn_RemoveLine->setEnabled(true);
    });
    for (QComboBox* cb : {amp_D1_CHECK_THT, amp_D1_CHECK_USG, amp_D1_CHECK_EL, amp_D1_CHECK_R}) {
        connect(cb, &QComboBox::currentIndexChanged, this, [this] { UpdateInspection(); });
        connect(cb, &QComboBox::editTextChanged, this, [this] { UpdateInspection(); });
    }

    UpdateInspection();
    ApplySuites();
    RefreshResults();
    Btn_RemoveLine->setEnabled(false);
    SetResultsObserver([this](const ResultList& list) { ListChanged(list); });
}

TFrame_Chk_result::~TFrame_Chk_result()
{
    SetResultsObserver({});
}

void TFrame_Chk_result::ListChanged(const ResultList& list)
{
    if (&list != &m_results) return; // another list (an archive preview, a test's own)
    RefreshResults();
    if (!m_journalActive) return;
    if (!m_journal.Write(m_results, m_data)) JournalFailed();
    m_projectSave->start(); // once for a burst of changes (an archive transfer)
}

void TFrame_Chk_result::JournalFailed()
{
    qCWarning(lcResults) << "the results journal cannot be written:" << m_journal.Path();
    if (m_journalFailureShown) return;
    m_journalFailureShown = true;
    // the change is in the middle of its caller's work: the box comes once that has ended
    QTimer::singleShot(0, this, [this] { platform::ErrorMessageFmt(1, m_journal.Path()); });
}

int TFrame_Chk_result::AddResultRow(const ResultRow& row)
{
    const int r = AppendRow(m_results, row);
    RefreshResults();
    return r;
}

void TFrame_Chk_result::RefreshResults()
{
    lv_Results->setUpdatesEnabled(false);
    m_model->SetVerification(m_verification);
    m_model->Refresh();
    lv_Results->setUpdatesEnabled(true);
    const bool any = m_results.count > 0;
    ToExcell->setEnabled(any && !m_making);
    BitBtnClear->setEnabled(any);
    if (!any) Btn_RemoveLine->setEnabled(false);
}

void TFrame_Chk_result::SetVerification(bool verification)
{
    m_verification = verification;
}

void TFrame_Chk_result::UpdateInspection()
{
    const bool passed = ReadsConforms(amp_D1_CHECK_THT) && ReadsConforms(amp_D1_CHECK_USG) &&
                        ReadsConforms(amp_D1_CHECK_R) && ReadsConforms(amp_D1_CHECK_EL);
    m_data.inspectionPassed = passed ? 1 : 0;
}

void TFrame_Chk_result::ResetInspection(bool periodic)
{
    if (periodic) amp_D1_NOTES->clear();
    for (QComboBox* cb : {amp_D1_CHECK_EL, amp_D1_CHECK_R}) {
        cb->setCurrentIndex(0);
        cb->setEditText(cb->itemText(0)); // a typed remark goes too
    }
    UpdateInspection();
}

void TFrame_Chk_result::Btn_RemoveLineClick()
{
    const QModelIndexList sel = lv_Results->selectionModel()->selectedRows();
    const int index = sel.isEmpty() ? -1 : sel.first().row();
    RemoveRow(m_results, index);
    RefreshResults();
    if (m_results.count <= 0) return;
    const int row = std::min(index < 0 ? 0 : index, m_results.count - 1);
    lv_Results->selectRow(row);
    lv_Results->setCurrentIndex(m_model->index(row, 0));
    lv_Results->setFocus();
}

void TFrame_Chk_result::BitBtnClearClick()
{
    if (!platform::Messages().Ask(QString(), QStringLiteral("Удалить все измеренные значения!"))) return;
    ClearRows(m_results);
    RefreshResults();
}

void TFrame_Chk_result::btn_SetDirTemplatesClick()
{
    QString folder = edTempl_Dir->text();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = m_host->TemplateDir();
        edTempl_Dir->setText(folder);
    }
    const QString file = chooseTemplate
                             ? chooseTemplate(folder)
                             : QFileDialog::getOpenFileName(this, QStringLiteral("Шаблон протокола"), folder,
                                                            QStringLiteral("Excel files (*.xls)"));
    if (file.isEmpty()) return;
    const QFileInfo fi(file);
    edTempl_Name->setText(fi.fileName());
    edTempl_Dir->setText(fi.absolutePath());
}

void TFrame_Chk_result::pn_TemplExploreClick()
{
    m_host->OpenThroughDesktop(m_host->TemplateDir());
}

bool TFrame_Chk_result::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pn_TemplExplore && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        pn_TemplExploreClick();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TFrame_Chk_result::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    if (m_host->DebugMode() && event->button() == Qt::LeftButton) DebugFill();
}

void TFrame_Chk_result::DebugFill()
{
    ClearRows(m_results);
    m_data.device.permissibleError = 22.0f;
    m_data.device.rangeLow = -100.0f;
    m_data.device.rangeHigh = 600.0f;
    for (int i = 1; i <= 4; ++i) {
        ResultRow r;
        r.reference = float(i + 10);
        r.referenceSignal = float(i + 20);
        r.measured = float(i + 30);
        r.measuredSignal = float(i + 40);
        r.error = 0.01f * float(i);
        r.errorSignal = 0.1f * float(i);
        r.tolerance = 22.0f;
        r.pass = 1;
        r.uncertainty = float(i + 50);
        AppendRow(m_results, r);
    }
    m_data.pointCount = 4;
    m_results.hasData = 1;
    RefreshResults();
}

void TFrame_Chk_result::DetectOfficeSuites()
{
    m_detected = true;
    m_libreOffice = (m_maker->OfficeSuites() & PROTOCOL_SUITE_LIBREOFFICE) != 0;
    ApplySuites();
}

void TFrame_Chk_result::ApplySuites()
{
    if (m_applyingSuites) return;
    m_applyingSuites = true;
    // Microsoft Excel does not exist here; LibreOffice, when usable, is the only suite: checked.
    cbTypeMSExcell->setChecked(false);
    cbTypeMSExcell->setEnabled(false);
    cbTypeLibreOffice->setChecked(m_libreOffice);
    cbTypeLibreOffice->setEnabled(m_libreOffice);
    m_applyingSuites = false;
}

void TFrame_Chk_result::ToExcellClick()
{
    if (m_making) return;
    UpdateInspection(); // the verdict reads the inspections as they are now
    if (!m_detected) DetectOfficeSuites();
    const QString file = QString::fromLatin1(reports::kProtocolMakerFile);
    if (!m_maker->Usable()) {
        if (m_maker->GetState() == reports::ProtocolMakerModule::State::SymbolMissing)
            platform::ErrorMessageFmt(19, file);
        else
            platform::ErrorMessageFmt(18, file);
        return;
    }
    reports::ProtocolMakerModule::Request q;
    q.templateDir = edTempl_Dir->text();
    q.templateName = edTempl_Name->text();
    if (q.templateName.isEmpty()) { // the kind's own shipped template
        q.templateDir = m_host->TemplateDir();
        q.templateName = ShippedTemplateName(m_data.verificationType, m_data.isCalibration != 0);
    }
    q.reportsDir = m_host->DataDir() + QStringLiteral("/reports");
    q.useExcel = !cbTypeLibreOffice->isChecked();
    q.amp = AmpFields(m_host->MainWindowWidgets(QStringLiteral("amp_")));
    for (QWidget* w : m_host->MainWindowWidgets(QStringLiteral("ed_DT_m"))) {
        auto* e = qobject_cast<QLineEdit*>(w);
        if (!e) continue;
        if (w->objectName() == QStringLiteral("ed_DT_min")) q.rangeLowText = e->text();
        if (w->objectName() == QStringLiteral("ed_DT_max")) q.rangeHighText = e->text();
    }
    devlink::IPageHost* host = m_host;
    q.open = [host](const QString& path) { host->OpenThroughDesktop(path); };

    // everything set before the wait label is painted (the event loop runs for it)
    m_making = true;
    ToExcell->setEnabled(false);
    Label_wait->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_lastPath.clear();
    m_lastResult = m_maker->Make(m_data, m_results, q, &m_lastPath);
    m_making = false;
    Label_wait->hide();
    ToExcell->setEnabled(m_results.count > 0);
}

void TFrame_Chk_result::RecoverJournal()
{
    if (m_journalActive || m_recovering || m_journal.Path().isEmpty()) return;
    m_recovering = true;
    auto record = std::make_unique<JournalRecord>();
    QString reason;
    switch (m_journal.Read(record.get(), &reason)) {
    case ResultJournal::ReadResult::Missing:
        break;
    case ResultJournal::ReadResult::Bad: {
        qCWarning(lcResults).noquote()
            << "the results journal" << m_journal.Path() << "is damaged:" << reason;
        const bool kept = m_journal.SetAsideBad();
        ClearRows(m_results);
        m_journalActive = true;
        m_recovering = false;
        QString text = QStringLiteral("Файл результатов незавершённой поверки\n %1\nповреждён: результаты не "
                                      "восстановлены.")
                           .arg(m_journal.Path());
        if (kept) text += QStringLiteral("\nФайл сохранён как\n %1").arg(m_journal.BadPath());
        platform::Messages().Show(platform::MessageService::Kind::Warning, QStringLiteral("Внимание"), text);
        return;
    }
    case ResultJournal::ReadResult::Ok: {
        const int n = record->list.count;
        if (n <= 0) {
            m_journal.Retire();
            break;
        }
        const bool restore = platform::Messages().Ask(
            QString(), QStringLiteral("Найдены результаты незавершённой поверки (%1). Восстановить?").arg(n));
        if (!restore) {
            m_journal.Retire();
            break;
        }
        record->ApplyTo(m_data);
        ClearRows(m_results);
        for (int i = 0; i < n; ++i)
            AppendRow(m_results, record->list.rows[i]);
        m_journalActive = true;
        m_recovering = false;
        ListChanged(m_results); // journalled and saved as restored
        return;
    }
    }
    m_journalActive = true;
    m_recovering = false;
}

void TFrame_Chk_result::CloseJournal()
{
    if (!m_journalActive) return;
    m_journalActive = false;
    m_projectSave->stop();
    if (!m_journal.Retire())
        qCWarning(lcResults) << "the results journal could not be retired:" << m_journal.Path();
}

} // namespace verification
