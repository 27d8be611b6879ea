#pragma once
// Unpacks the files a package lists into a folder, all or nothing: Prepare
// checks the whole package before anything is written; ExtractNext writes one
// listed file to a temporary file beside its target; Commit renames them all
// over their targets, putting the old files back when a rename fails; Abandon
// removes the temporary files, leaving the folder as it was.
//
// A package is refused when files.info or any zip entry names a path outside
// the folder ("..", an absolute path) or a link, device or other special file,
// when a listed file is not in the zip, or when a target is a folder or lies
// below something that is not a real folder.
//
// A run that is killed cannot tidy up after itself. From Prepare until the run
// ends, a list of its files lies in the folder (UnfinishedName); the next run
// clears the temporary files and second names beside those files at its start
// (ClearLeftovers), and Prepare clears those beside every file it is about to
// write. The main program is put in place last, so a run killed while putting
// files in place leaves the old main program, which offers the update again.
//
// Installed files take their permissions from what they are, never from the
// zip: programs rwxr-xr-x, every other file rw-r--r--.

#include "platform/zip/ZipArchive.h"

#include <QString>
#include <QStringList>

#include <functional>

class PackageInstaller {
public:
    static constexpr qint64 MaxInfoBytes = 1024 * 1024;
    // The main program, put in place after every other file.
    static inline const QString MainProgramName = QStringLiteral("vendaro");
    // The list of an unfinished run's files, in the folder.
    static inline const QString UnfinishedName = QStringLiteral(".VendaroInstaller.unfinished");

    // Removes what a run killed earlier left in folder: the temporary files
    // and second names beside the files its list names, and the list.
    static void ClearLeftovers(const QString& folder);
    // Whether a file is a program: one of the three programs, or its first
    // bytes are a program's (an ELF header or "#!").
    static bool IsProgram(const QString& item, const QByteArray& start);

    ~PackageInstaller();

    // Opens the zip, reads files.info and checks every item; false with reason().
    bool Prepare(const QString& zipPath, const QString& folder);
    // The listed files, in order, each once.
    const QStringList& items() const { return m_items; }
    int extracted() const { return int(m_temporary.size()); }
    bool allExtracted() const { return m_temporary.size() == m_items.size(); }
    // Writes the next listed file beside its target; false with reason().
    bool ExtractNext();
    // Puts every extracted file in its target's place; false with reason().
    bool Commit();
    // Removes the temporary files not yet put in place.
    void Abandon();

    // Why the last step failed: "Missing information file", "Could not unzip
    // file: <name>. Make sure Vendaro is not open in another window", or empty
    // when files.info could not be read.
    QString reason() const { return m_reason; }
    // What went wrong underneath, for the log.
    QString detail() const { return m_detail; }

    static QString CouldNotUnzip(const QString& name);

    // Called before each file is put in its target's place (tests stop a run there).
    std::function<void(const QString& item)> beforeRename;

private:
    bool fail(const QString& reason, const QString& detail);
    bool checkTarget(const QString& item, QString* detail) const;
    // Removes the temporary files and second names beside one target.
    static void clearBeside(const QString& folder, const QString& item);
    void writeUnfinished();
    void dropUnfinished();
    QString m_folder;
    ZipArchive m_zip;
    QStringList m_items;
    QStringList m_temporary;  // beside the targets of m_items, in order
    QString m_reason;
    QString m_detail;
    bool m_unfinished = false;  // this run's list lies in the folder
};
