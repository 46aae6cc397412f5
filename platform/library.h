// Libraries loaded at run time by file name (the characteristic, HART-text and spreadsheet
// libraries): load, look up plain C entry points, release.
#pragma once

#include <QString>

namespace platform {

/// The folder the running program's executable lives in.
QString ProgramDir();

/// Where a program's own files are. The build tree (and a portable copy) keeps everything beside
/// the executable. An installation keeps the executables in <prefix>/bin, the libraries loaded by
/// file name in <prefix>/lib/<multiarch>/lorikws and the data (protocol templates, scenarios,
/// language files) in <prefix>/share/lorikws; it is recognised by that data folder. An installed
/// program writes nothing below its prefix.
struct Layout {
    bool installed = false;
    QString programDir; ///< the executable's folder
    QString libraryDir; ///< the libraries loaded by file name
    QString dataDir;    ///< "template_xml", "scenarios", language files
};
/// The layout of a program whose executable is in `programDir`.
Layout LayoutOf(const QString& programDir);
/// The layout of the running program (looked up once).
const Layout& CurrentLayout();
/// The file of the program or shared library that holds `address` (empty when unknown).
QString ModulePathOf(const void* address);

class SharedLibrary {
public:
    enum class Status { NotLoaded, Loaded, FileMissing, CannotLoad, SymbolMissing };

    SharedLibrary() = default;
    ~SharedLibrary() { Unload(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    /// Loads `path` (an absolute path, or a file name looked up in CurrentLayout().libraryDir).
    /// `keepLoaded`: the library stays in the process after Unload() (for a library whose runtime
    /// cannot be unloaded, such as the LibreOffice binding's).
    Status Load(const QString& path, bool keepLoaded = false);
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
