#include "platform/library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace platform {

QString ProgramDir()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), 0, -2);
}

Layout LayoutOf(const QString& programDir)
{
    const QDir bin(programDir);
    const QString data = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(LORIK_DATADIR_FROM_BIN)));
    if (QFileInfo(data).isDir())
        return {true, programDir,
                QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(LORIK_LIBDIR_FROM_BIN))), data};
    return {false, programDir, programDir, programDir};
}

const Layout& CurrentLayout()
{
    static const Layout layout = LayoutOf(ProgramDir());
    return layout;
}

QString ModulePathOf(const void* address)
{
    Dl_info info {};
    if (dladdr(address, &info) == 0 || !info.dli_fname) return {};
    return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
}

SharedLibrary::Status SharedLibrary::Load(const QString& path, bool keepLoaded)
{
    Unload();
    m_path = path.startsWith(QLatin1Char('/')) ? path : CurrentLayout().libraryDir + QLatin1Char('/') + path;
    if (!QFileInfo::exists(m_path)) {
        m_error = QStringLiteral("file not found");
        return m_status = Status::FileMissing;
    }
    m_handle = dlopen(QFile::encodeName(m_path).constData(),
                      RTLD_NOW | RTLD_LOCAL | (keepLoaded ? RTLD_NODELETE : 0));
    if (!m_handle) {
        const char* e = dlerror();
        m_error = QString::fromLocal8Bit(e ? e : "dlopen failed");
        return m_status = Status::CannotLoad;
    }
    m_error.clear();
    return m_status = Status::Loaded;
}

void* SharedLibrary::Resolve(const char* name)
{
    if (!m_handle) return nullptr;
    dlerror();
    void* f = dlsym(m_handle, name);
    if (!f) {
        m_status = Status::SymbolMissing;
        m_error = QString::fromLatin1(name);
    }
    return f;
}

void SharedLibrary::Unload()
{
    if (m_handle) dlclose(m_handle);
    m_handle = nullptr;
    m_status = Status::NotLoaded;
}

} // namespace platform
