#include "verification/reportparam.h"

#include "link/interface.h"
#include "platform/cp1251.h"
#include "platform/messages.h"
#include "platform/messageservice.h"
#include "sensors/fieldchecks.h"
#include "sensors/labelededit.h"
#include "sensors/numbers.h"
#include "verification/ktframe.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace verification {
namespace {

const QColor kAmber(255, 191, 0);

QLabel* Caption(QWidget* parent, const char* name, const char* text)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QString Limits(float min, float max, const char* unit)
{
    return QStringLiteral("Вне нормальных условий поверки: ") + sensors::CompactText(min) +
           QStringLiteral("...") + sensors::CompactText(max) + QString::fromUtf8(unit);
}

} // namespace

TFrame_ReportParam::TFrame_ReportParam(const QString& calibratorList, QWidget* parent,
                                       reports::ProtocolData& data)
    : QFrame(parent), m_data(data)
{
    setObjectName(QStringLiteral("Frame_ReportParam1"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0, column = 0;
    // The controls are created in the order the protocol takes its placeholders; the grid fills two
    // columns of caption and field.
    auto place = [&](QWidget* caption, QWidget* field) {
        grid->addWidget(caption, row, column * 2);
        grid->addWidget(field, row, column * 2 + 1);
        if (++column == 2) {
            column = 0;
            ++row;
        }
    };
    auto labelled = [&](const char* name, const char* caption) {
        auto* e = new sensors::TLabeledEdit(QString::fromLatin1(name), QString::fromUtf8(caption), this);
        place(e->EditLabel(), e);
        return e;
    };
    amp_D1_OWNER = labelled("amp_D1_OWNER", "Владелец (собственник)");
    amp_D1_NAME = labelled("amp_D1_NAME", "Наименование");
    amp_D1_TYPE = labelled("amp_D1_TYPE", "Тип");
    amp_D1_SERIAL = labelled("amp_D1_SERIAL", "Заводской номер");
    amp_D1_INV = labelled("amp_D1_INV", "Инвентарный номер");
    amp_VR_D1_DOC = labelled("amp_VR_D1_DOC", "Обозначение документа");
    amp_CD_TEMP = labelled("amp_CD_TEMP", "Темп. окр. воздуха, °С");
    amp_CD_HUM = labelled("amp_CD_HUM", "Отн. влажность, %");
    amp_CD_PRES = labelled("amp_CD_PRES", "Атм. давление, мм рт.ст.");
    VTM_sn = labelled("VTM_sn", "ИВТМ-7M сер. номер");
    VTM_sn->setToolTip(QStringLiteral(
        "Укажите серийный номер подключеного ИВТМ для считывания параметров окружающей среды"));
    VTM_read = new QPushButton(QStringLiteral("Считать °С, %, p"), this);
    VTM_read->setObjectName(QStringLiteral("VTM_read"));
    grid->addWidget(VTM_read, row, column * 2 + 1);
    if (++column == 2) {
        column = 0;
        ++row;
    }
    amp_CD_DATE = labelled("amp_CD_DATE", "Дата");
    amp_CD_DATE->setText(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    amp_CD_VERIF_POS = labelled("amp_CD_VERIF_POS", "Должность поверителя");
    amp_CD_CHEF_POS = labelled("amp_CD_CHEF_POS", "Должность руководителя");
    amp_CD_VERIF = labelled("amp_CD_VERIF", "Ф.И.О. поверителя");
    amp_CD_CHEF = labelled("amp_CD_CHEF", "Ф.И.О. руководителя");
    amp_CD_ORG = labelled("amp_CD_ORG", "Организация");
    amp_CD_CRT_NUM = labelled("amp_CD_CRT_NUM", "№ сертификата аккредитации");
    amp_CD_ADDRESS = new QPlainTextEdit(this);
    amp_CD_ADDRESS->setObjectName(QStringLiteral("amp_CD_ADDRESS"));
    amp_CD_ADDRESS->setMaximumHeight(60);
    place(Caption(this, "Label_ADDRESS", "Адрес организации"), amp_CD_ADDRESS);
    amp_D1_SH_NUM = labelled("amp_D1_SH_NUM", " № протокола");
    for (QLineEdit* e : {amp_CD_TEMP, amp_CD_HUM, amp_CD_PRES, VTM_sn})
        sensors::InstallNumericKeyFilter(e);

    layout->addWidget(Caption(this, "Label_AUX_LST",
                              "Наименование, тип, заводской (регистрационный) номер эталона, рабочих СИ  и "
                              "вспомогательного оборудования:"));
    CD_ET_AUX_LST = new QPlainTextEdit(this);
    CD_ET_AUX_LST->setObjectName(QStringLiteral("CD_ET_AUX_LST"));
    layout->addWidget(CD_ET_AUX_LST);
    ed_se_lorik = new QLineEdit(this);
    ed_se_lorik->setObjectName(QStringLiteral("ed_se_lorik"));
    ed_se_lorik->setFrame(false);
    layout->addWidget(ed_se_lorik);
    lab_AuxCut = Caption(this, "lab_AuxCut", "В протокол войдут первые 1035 знаков");
    QPalette red = lab_AuxCut->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lab_AuxCut->setPalette(red);
    lab_AuxCut->hide();
    layout->addWidget(lab_AuxCut);

    auto* bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    bottom->addWidget(Caption(this, "Label_cDigits", "Знаков после запятой"));
    cDigits = new QSpinBox(this);
    cDigits->setObjectName(QStringLiteral("cDigits"));
    cDigits->setRange(0, 6);
    cDigits->setValue(3);
    bottom->addWidget(cDigits);
    bottom->addStretch();

    Panel_FrameKT = new QFrame(this);
    Panel_FrameKT->setObjectName(QStringLiteral("Panel_FrameKT"));
    auto* kl = new QVBoxLayout(Panel_FrameKT);
    Frame_KT1 = new TFrame_KT(calibratorList, Panel_FrameKT);
    kl->addWidget(Frame_KT1);
    layout->addWidget(Panel_FrameKT);

    Panel_FrameMANOR = new QFrame(this);
    Panel_FrameMANOR->setObjectName(QStringLiteral("Panel_FrameMANOR"));
    auto* ml = new QHBoxLayout(Panel_FrameMANOR);
    auto* classGroup = new QGroupBox(QStringLiteral(" Класс точности МАНОР  "), Panel_FrameMANOR);
    classGroup->setObjectName(QStringLiteral("GroupBox_MANOR"));
    auto* cgl = new QHBoxLayout(classGroup);
    cb_MANOR_Class = new QComboBox(classGroup);
    cb_MANOR_Class->setObjectName(QStringLiteral("cb_MANOR_Class"));
    // the first two with the Cyrillic letter А, the last two Latin
    cb_MANOR_Class->addItems(
        {QStringLiteral("А0"), QStringLiteral("А"), QStringLiteral("B"), QStringLiteral("C")});
    cb_MANOR_Class->setCurrentIndex(0);
    cgl->addWidget(cb_MANOR_Class);
    ml->addWidget(classGroup);
    ml->addWidget(
        Caption(Panel_FrameMANOR, "Label_VRCOEFF", "Коэффициент запаса допустимой погрешности прибра"));
    amp_CD_VRCOEFF = new QLineEdit(QStringLiteral("1"), Panel_FrameMANOR);
    amp_CD_VRCOEFF->setObjectName(QStringLiteral("amp_CD_VRCOEFF"));
    amp_CD_VRCOEFF->setToolTip(QStringLiteral(
        "Измеренная погрешность должа быть меньше допустимой, умноженная на этот коэффициент"));
    sensors::InstallNumericKeyFilter(amp_CD_VRCOEFF);
    ml->addWidget(amp_CD_VRCOEFF);
    layout->addWidget(Panel_FrameMANOR);
    layout->addStretch();

    // the copy rules: every change, whatever causes it
    connect(cDigits, &QSpinBox::valueChanged, this, [this] { CopyDecimals(); });
    connect(amp_CD_VRCOEFF, &QLineEdit::textChanged, this, [this] { CopyCoefficient(); });
    connect(cb_MANOR_Class, &QComboBox::currentIndexChanged, this, [this] { CopyStandardClass(); });
    for (QLineEdit* e : CopiedFields())
        connect(e, &QLineEdit::textChanged, this, [this, e] { CopyText(e); });
    for (QLineEdit* e : ConditionFields())
        connect(e, &QLineEdit::textChanged, this, [this, e] { CheckCondition(e); });
    connect(ed_se_lorik, &QLineEdit::textChanged, this, [this] { CopyAuxEquipment(); });
    connect(CD_ET_AUX_LST, &QPlainTextEdit::textChanged, this, [this] { CopyAuxEquipment(); });
    connect(VTM_read, &QPushButton::clicked, this, [this] { VTM_readClick(); });

    CopyDecimals();
    CopyCoefficient();
    CopyStandardClass();
    for (QLineEdit* e : CopiedFields())
        CopyText(e);
    CopyAuxEquipment();
    SetVerificationType(m_data.verificationType);
}

std::array<QLineEdit*, 6> TFrame_ReportParam::CopiedFields() const
{
    return {amp_D1_SH_NUM, amp_CD_DATE, amp_D1_SERIAL, amp_CD_TEMP, amp_CD_HUM, amp_CD_PRES};
}

std::array<QLineEdit*, 3> TFrame_ReportParam::ConditionFields() const
{
    return {amp_CD_TEMP, amp_CD_HUM, amp_CD_PRES};
}

void TFrame_ReportParam::CopyDecimals()
{
    m_data.decimals = cDigits->value();
}

void TFrame_ReportParam::CopyCoefficient()
{
    // no positive number means "no margin": the verdict compares with the permissible error itself
    const float v = sensors::FieldValue(amp_CD_VRCOEFF);
    m_data.errorCoefficient = std::isfinite(v) && v > 0 ? v : 1.0f;
}

void TFrame_ReportParam::CopyStandardClass()
{
    m_data.pressureStandardClass = std::max(0, cb_MANOR_Class->currentIndex());
}

void TFrame_ReportParam::CopyText(QLineEdit* field)
{
    // a text longer than the field is cut to what the field holds (as typing it would leave it)
    const QString t = field->text();
    if (field == amp_D1_SH_NUM)
        platform::SetText(m_data.protocolNumber, t);
    else if (field == amp_CD_DATE)
        platform::SetText(m_data.protocolDate, t);
    else if (field == amp_D1_SERIAL)
        platform::SetText(m_data.device.serial, t);
    else if (field == amp_CD_TEMP)
        platform::SetText(m_data.airTemperature, t);
    else if (field == amp_CD_HUM)
        platform::SetText(m_data.airHumidity, t);
    else if (field == amp_CD_PRES)
        platform::SetText(m_data.airPressure, t);
}

void TFrame_ReportParam::CopyAuxEquipment()
{
    const QString line = ed_se_lorik->text();
    const QString list = CD_ET_AUX_LST->toPlainText();
    QString joined = list.isEmpty() ? line : line.isEmpty() ? list : line + QStringLiteral(", ") + list;
    const QByteArray bytes = platform::ToCp1251(joined);
    const bool cut = bytes.size() > kAuxEquipmentLimit;
    platform::CopyBounded(m_data.auxEquipment, int(sizeof m_data.auxEquipment), bytes.constData());
    lab_AuxCut->setVisible(cut);
}

void TFrame_ReportParam::CheckCondition(QLineEdit* field)
{
    const ConditionLimits& l = m_limits;
    QString hint;
    if (field == amp_CD_TEMP && OutsideNormal(field->text(), l.tempMin, l.tempMax))
        hint = Limits(l.tempMin, l.tempMax, " °С");
    else if (field == amp_CD_HUM && OutsideNormal(field->text(), l.humMin, l.humMax))
        hint = Limits(l.humMin, l.humMax, " %");
    else if (field == amp_CD_PRES && OutsideNormal(field->text(), l.presMin, l.presMax))
        hint = Limits(l.presMin, l.presMax, " мм рт.ст.");
    QPalette p = field->palette();
    p.setColor(QPalette::Base, hint.isEmpty() ? palette().color(QPalette::Base) : kAmber);
    field->setPalette(p);
    field->setToolTip(hint);
}

void TFrame_ReportParam::SetConditionLimits(const ConditionLimits& limits)
{
    m_limits = limits;
    for (QLineEdit* e : ConditionFields())
        CheckCondition(e);
}

void TFrame_ReportParam::ShowCalibratorLine(bool connected)
{
    if (!connected || !m_link) return;
    ed_se_lorik->setText(QStringLiteral("ЛОРИК зав.№") +
                         platform::FromCp1251(std::string_view(m_link->DeviceSerialNumber())));
}

void TFrame_ReportParam::SetVerificationType(int type)
{
    Panel_FrameKT->setVisible(type == 1);
    Panel_FrameMANOR->setVisible(type == 0);
}

void TFrame_ReportParam::VTM_readClick()
{
    const ConditionsReading r = ReadConditionsMeter(m_meterLibrary, VTM_sn->text());
    switch (r.status) {
    case ConditionsReading::Status::LibraryMissing:
    case ConditionsReading::Status::CannotLoad: {
        QString text = QStringLiteral("Библиотека ") + QString::fromLatin1(kMeterLibrary) +
                       QStringLiteral(" не найдена");
        if (!r.loaderError.isEmpty()) text += QStringLiteral("\n") + r.loaderError;
        platform::Messages().Show(platform::MessageService::Kind::Error, QStringLiteral("Error"), text);
        return;
    }
    case ConditionsReading::Status::FunctionMissing:
        platform::ErrorMessageFmt(19, QString::fromLatin1(kMeterLibrary));
        return;
    case ConditionsReading::Status::ReadFailed:
    case ConditionsReading::Status::Read:
        amp_CD_TEMP->setText(r.texts[0]);
        amp_CD_HUM->setText(r.texts[1]);
        amp_CD_PRES->setText(r.texts[2]);
        return;
    }
}

} // namespace verification
