#include "measure/sheetexport.h"

#include "platform/library.h"
#include "platform/messages.h"
#include "platform/messageservice.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QFileInfo>

#include <map>
#include <memory>

namespace measure {
namespace {

void Error(const QString& text)
{
    platform::Messages().Show(platform::MessageService::Kind::Error, QString(), text);
}

// Loaded libraries by path, kept until the program ends.
platform::SharedLibrary* Loaded(const QString& library)
{
    static std::map<QString, std::unique_ptr<platform::SharedLibrary>> loaded;
    auto& slot = loaded[library];
    if (!slot) slot = std::make_unique<platform::SharedLibrary>();
    if (!slot->IsLoaded() && slot->Load(library) != platform::SharedLibrary::Status::Loaded) return nullptr;
    return slot.get();
}

} // namespace

ExportResult ExportList(QAbstractItemView* view, int columns, const QString& library)
{
    if (!view || !view->model() || view->model()->rowCount() == 0) {
        Error(QStringLiteral("Нет данных для сохранения"));
        return ExportResult::Empty;
    }
    platform::SharedLibrary* lib = Loaded(library);
    if (!lib) {
        platform::ErrorMessageFmt(18, QFileInfo(library).fileName());
        return ExportResult::LibraryMissing;
    }
    using ListView2excel = int (*)(void*, int);
    auto f = reinterpret_cast<ListView2excel>(lib->Resolve("ListView2excel"));
    if (!f) {
        lib->Unload();
        Error(QStringLiteral("Функция ListView2excel() не найдена!"));
        return ExportResult::FunctionMissing;
    }
    const int r = f(view, columns);
    if (r == 0) return ExportResult::Done;
    if (r == -5) {
        Error(QStringLiteral("Офисный пакет LibreOffice не установлен!"));
        return ExportResult::NoOffice;
    }
    Error(QStringLiteral("Таблица не передана в LibreOffice Calc (ошибка %1).").arg(r));
    return ExportResult::Failed;
}

} // namespace measure
