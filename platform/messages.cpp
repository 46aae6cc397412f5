#include "platform/messages.h"

#include "platform/messageservice.h"

namespace platform {
namespace {

const char* const kTable[kLastMessage + 1] = {
    "Файл шаблона  %s  недоступен!",
    "Невозможно создать файл \n %s !",
    "Не подключен ЗОРТ !",
    "Не выбран файл шаблона документа!",
    "Выбранная директория не содержит шаблонов протоколов!",
    "Не указана допустимая погрешность!",
    "Не подключен эталон давления!",
    "Список калибраторов теспературы изменён!\n Сохранить?",
    "Удалить %s ?",
    "Файл архива ЛОРИК повреждён!",
    "Не подключен эталон !",
    "Невозможно вычисление расширенной неопределённости!",
    "Файл с таким именем существует. Перезаписать?",
    "Невозможно удалить файл!",
    "Программа запущена не от имени администратора!\n Некоторые функции могут быть недоступны!",
    "Ошибка доступа к библиотеке полиномов!",
    "Не удалось сохранить настройки програмы!",
    "Не указана допустимая погрешность!",
    "Библиотека %s не найдена!",
    "Функция библиотеки %s не найдена!",
    "Out of memory!",
};

const QString kErrorCaption = QStringLiteral("Ошибка");

} // namespace

QString MessageText(int n)
{
    if (n < 0 || n > kLastMessage) return {};
    return QString::fromUtf8(kTable[n]);
}

QString FormatMessage(const QString& format, const QString& arg)
{
    QString out = format;
    const qsizetype at = out.indexOf(QStringLiteral("%s"));
    if (at >= 0) out.replace(at, 2, arg);
    out.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return out.left(1023);
}

int ErrorMessage(int n)
{
    if (n < 0 || n > kLastMessage) return -1;
    Messages().Show(MessageService::Kind::Error, kErrorCaption, MessageText(n));
    return 0;
}

int ErrorMessageFmt(int n, const QString& arg)
{
    if (n < 0 || n > kLastMessage) return -1;
    Messages().Show(MessageService::Kind::Error, kErrorCaption,
                              FormatMessage(MessageText(n), arg));
    return 0;
}

int Question(int n)
{
    return Messages().Ask(QString(), MessageText(n)) ? 0 : 1;
}

int QuestionFmt(int n, const QString& arg)
{
    return Messages().Ask(QString(), FormatMessage(MessageText(n), arg)) ? 0 : 1;
}

} // namespace platform
