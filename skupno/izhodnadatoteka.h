#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

// Writes one output file so that a failure never leaves a wrong or half file under its
// name and never touches anything that is not a regular file:
//
//   IzhodnaDatoteka izhod(pot);
//   if (auto zakaj = IzhodnaDatoteka::zavrni(pot)) { ...refuse with *zakaj... }
//   if (!izhod.odpri()) { ...izhod.razlog()... }
//   izhod.pisi(...); ...
//   if (!izhod.potrdi()) { ...izhod.razlog()... }
//
// The bytes go to a new temporary file in the target's folder: an unnamed one where
// the system allows it (O_TMPFILE; a killed run leaves nothing), else one created
// exclusively under a hidden name (never through an existing name or a symbolic
// link); potrdi() flushes it to disk and renames it over the target in one step, so the target holds either the previous
// or the complete new contents. Where the folder refuses new files but the target is
// a writable regular file, the bytes are kept in memory and written into the target
// itself at potrdi() (after space for them has been reserved where the file system
// allows it). Without potrdi() (opusti(), the destructor) the target stays as it was.
class IzhodnaDatoteka {
public:
    explicit IzhodnaDatoteka(const QString& pot);
    ~IzhodnaDatoteka();
    IzhodnaDatoteka(const IzhodnaDatoteka&) = delete;
    IzhodnaDatoteka& operator=(const IzhodnaDatoteka&) = delete;

    // Why `pot` cannot be an output file, in words for the operator; nothing when it
    // can. Refused: a blank name, a folder, a device, a FIFO, a socket, a symbolic link
    // (never followed) and a path whose folder does not exist.
    static std::optional<QString> zavrni(const QString& pot);

    // Checks the path (zavrni()) and prepares the writing; false with razlog() when
    // nothing can be written. The target is not touched.
    bool odpri();

    // Appends bytes; false with razlog() when they could not be written.
    bool pisi(const QByteArray& bajti);

    // The device to write into (for writers that want a QIODevice, such as a PDF
    // writer); valid between odpri() and potrdi()/opusti().
    QIODevice* naprava();

    // Gives the written bytes, flushed to disk, a name of their own beside the target
    // before they become its contents: for a file that a step between here and potrdi()
    // (a database commit) must be able to find again after a kill. The name is the
    // caller's to remove; potrdi() and opusti() leave it. False with razlog() when the
    // bytes cannot be named (the name exists, the folder refuses new files).
    bool poimenuj(const QString& ime);

    // Makes the written bytes the target's contents. With `varnostnaKopija` set, the
    // previous target (when there is one) is kept under that name first; an older file
    // of that name is replaced only at this point. False with razlog() when the target
    // could not be replaced; it then holds its previous contents (in-place writing
    // excepted, see above). `kljubZahtevi`: the file is put in place even after the
    // stop request (a step that cannot be undone has already been taken).
    bool potrdi(const QString& varnostnaKopija = QString(), bool kljubZahtevi = false);

    // Drops what was written; the target stays as it was. Called by the destructor
    // unless potrdi() succeeded.
    void opusti();

    // The system's own reason of the last failure ("No space left on device"), or the
    // refusal of zavrni(). The writer does not log its failures; the caller reports
    // them in its own words and writes this reason to the log.
    QString razlog() const { return m_razlog; }

    const QString& pot() const { return m_pot; }
    // Whether the bytes are written into the target itself (its folder refuses new files).
    bool naMestu() const { return m_naMestu; }

    // The stop request of the process (the batch command's SIGINT and SIGTERM): once it
    // is raised, potrdi() replaces no file, so a stopped command leaves the previous
    // file as it was. Unset (the window), every complete file is committed.
    static void nastaviZahtevoKonca(bool (*zahtevan)());
    // Whether the last potrdi() failed because the stop request was raised.
    bool ustavljena() const { return m_ustavljena; }

private:
    bool neuspeh(const QString& razlog);
    bool shraniKopijo(const QString& kopija);
    bool zapisiNaMesto();

    QString m_pot;
    QString m_razlog;
    QString m_zacasna;                    // path of the temporary file
    std::unique_ptr<QFile> m_datoteka;    // the temporary file
    std::unique_ptr<QBuffer> m_pomnilnik; // the bytes for in-place writing
    std::unique_ptr<QFile> m_cilj;        // the target, opened for in-place writing
    bool m_naMestu = false;
    bool m_potrjena = false;
    bool m_neimenovana = false;
    bool m_ustavljena = false; // the temporary file has no name yet (O_TMPFILE)
};

// A path as the standard library's file system calls take it: the system's encoding of
// the name (UTF-16 on Windows), the one conversion every file helper of the program uses.
std::filesystem::path fsPot(const QString& pot);
