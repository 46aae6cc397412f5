#include "shell/textlists.h"

#include <QListWidget>

namespace shell {
namespace {

const char* const kUailErrors[] = {"Нет ошибок",
                                   "Неизвестная команда",
                                   "Неизвестный тип памяти",
                                   "Неизвестный тип данных",
                                   "Неверный формат посылки",
                                   "Адрес больше допустимого",
                                   "Неверная контрольная сумма",
                                   "Запрашиваемые данные не готовы",
                                   "Запись запрещена",
                                   "Ошибка записи",
                                   "Ошибка чтения",
                                   "Команда не поддерживается",
                                   "Обрыв датчика",
                                   "Неизвестный код ошибки"};
const char* const kModes[] = {"Измерение", "Эмуляция", "Симуляция", "", "Поверка МПД", "Поверка ЭПД"};

QStringList WorkList()
{
    QStringList l;
    for (int i = 0; i < 34; ++i)
        l << QString();
    const std::pair<int, const char*> rows[] = {
        {1, "Проверка связи"},
        {2, "Перевод в режим измерения"},
        {3, "Чтение калибровочного коэффициента и измеренного значения"},
        {4, "Запись калибровачного коэффициента"},
        {6, "Запись значения"},
        {7, "Установка уровня эмулируемого сигнала"},
        {8, "Чтение результатов измерения из прибора"},
        {9, "Эмуляция"},
        {10, "Чтение архива"},
        {11, "Очистка архива"},
        {12, "Запись конфигурационных параметров в прибор"},
        {13, "Чтение конфигурационных параметров из прибора"},
        {14, "Запись даты и времени в прибор"},
        {15, "Чтение даты и времени из прибора"},
        {16, "Запись пользовательских объектов"},
        {17, "Чтение пользовательских объектов"},
        {18, "Чтение пользовательской программы"},
        {19, "Запись пользовательской программы"},
        {20, "Поиск устройств"},
        {21, "Поиск ЛОРИК"},
        {22, "Поиск МАНОР"},
        {23, "Эмуляция"},
        {25, "Измерение"},
        {27, "Симуляция"},
        {28, "Поиск устройств"},
        {29, "Автоматическая градуировка прибора"},
        {30, "Полуавтоматическая градуировка прибора"},
        {31, "Проверка связи"},
    };
    for (const auto& [i, t] : rows)
        l[i] = QString::fromUtf8(t);
    return l;
}

QListWidget* HiddenList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* l = new QListWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->addItems(items);
    l->hide();
    return l;
}

} // namespace

QStringList MessageList()
{
    QStringList l;
    for (int i = 0; i < 49; ++i)
        l << QString();
    l[0] = QStringLiteral("Ошибка");
    l[1] = QStringLiteral("Внимание");
    l[kMsgLinkUp] = QStringLiteral("Есть связь");
    l[kMsgLinkDown] = QStringLiteral("Нет связи");
    l[kMsgConnectFailed] = QStringLiteral("Не удалось установить связь с прибором.");
    l[kMsgNoLink] = QStringLiteral("Нет связи с ЛОРИК");
    l[kMsgMissingField] = QStringLiteral("Не указан параметр");
    l[kMsgCaption] = QStringLiteral("АРМ ЛОРИК");
    return l;
}

void BuildTextLists(QWidget* page)
{
    HiddenList(page, "strConst_Msg", MessageList());
    QStringList uail, modes;
    for (const char* t : kUailErrors)
        uail << QString::fromUtf8(t);
    for (const char* t : kModes)
        modes << QString::fromUtf8(t);
    HiddenList(page, "strConst_UAIL_err_Code2ASCII", uail);
    HiddenList(page, "strConst_Work2ASCII", WorkList());
    HiddenList(page, "strConst_Mode2str", modes);
}

} // namespace shell
