// Libraries loaded at run time by file name (the characteristic, HART-text and spreadsheet
// libraries): load, look up plain C entry points, release.
#pragma once

#include <QString>

namespace platform {

/// The folder the running program lives in (where its libraries, templates and language files are).
QString ProgramDir();
/// The file of the program or shared library that holds `address` (empty when unknown).
QString ModulePathOf(const void* address);

class SharedLibrary {
public:
    enum class Status { NotLoaded, Loaded, FileMissing, CannotLoad, SymbolMissing };

    SharedLibrary() = default;
    ~SharedLibrary() { Unload(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    /// Loads `path` (an absolute path, or a file name looked up in ProgramDir()).
    Status Load(const QString& path);
    /// The address of an exported C function, or nullptr (status becomes SymbolMissing).
    void* Resolve(const char* name);
    void Unload();

    Status LastStatus() const { return m_status; }
    bool IsLoaded() const { return m_handle != nullptr; }
    const QString& Path() const { return m_path; }
    /// The loader's own explanation of the last failure.
    const QString& Error() const { return m_error; }

private:
    void* m_handle = nullptr;
    Status m_status = Status::NotLoaded;
    QString m_path;
    QString m_error;
};

} // namespace platform
