#include "izhodnadatoteka.h"
#include "belezenje.h"
#include "platforma.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

fs::path fsPot(const QString& pot)
{
#ifdef Q_OS_WIN
    return fs::path(pot.toStdWString());
#else
    return fs::path(QFile::encodeName(pot).toStdString());
#endif
}

namespace {

QString besedilo(const std::error_code& napaka) { return QString::fromLocal8Bit(napaka.message()); }

// The text of errno as the transfer gives it (qt_error_string: the toolkit's own
// translation where it has one, "Ni prostora na napravi"), never an empty one.
QString sistemskiRazlog(int koda)
{
    const QString r = qt_error_string(koda);
    return r.isEmpty() ? besedilo(std::error_code(koda, std::generic_category())) : r;
}

// The reason of a failed call on a device: the error number the call left (a buffered
// write that ran out of space has no text of its own but "Unknown error", translated),
// else the device's text, else a generic input/output error.
QString razlogNaprave(const QIODevice& d, int koda)
{
    if (koda != 0)
        return sistemskiRazlog(koda);
    const QString r = d.errorString();
    if (r.isEmpty() || r == QLatin1String("Unknown error"))
        return sistemskiRazlog(EIO);
    return r;
}

// A name in `direktorij` that no file has yet: a dot, the start of `ime` and a random
// part, so that the temporary file stays beside the target but hidden.
QString zacasnoIme(const QString& direktorij, const QString& ime)
{
    return direktorij + u'/' + u'.' + ime.left(64) + u'.'
           + QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffULL, 36) + QStringLiteral(".tmp");
}

// Flushes a file's data to the disk. A write that failed on the way (through the
// device, unseen by the caller) fails here too, so a short file is never committed.
bool naDisk(QFile& f, QString& razlog)
{
    errno = 0;
    if (f.error() != QFileDevice::NoError || !f.flush()) {
        razlog = razlogNaprave(f, errno);
        return false;
    }
    if (const int koda = platforma::naDisk(f.handle())) {
        razlog = sistemskiRazlog(koda);
        return false;
    }
    return true;
}

// After a rename, the folder's entry is made durable as well. A file system that
// cannot sync a folder is no failure of the file.
void folderNaDisk(const QString& direktorij)
{
    if (const int koda = platforma::mapaNaDisk(direktorij))
        qCDebug(lcDb).noquote() << "Mape" << direktorij << "ni bilo mogoče zapisati na disk:" << sistemskiRazlog(koda);
}

bool (*g_zahtevaKonca)() = nullptr;

} // namespace

void IzhodnaDatoteka::nastaviZahtevoKonca(bool (*zahtevan)()) { g_zahtevaKonca = zahtevan; }

IzhodnaDatoteka::IzhodnaDatoteka(const QString& pot) : m_pot(pot) {}

IzhodnaDatoteka::~IzhodnaDatoteka()
{
    if (!m_potrjena)
        opusti();
}

std::optional<QString> IzhodnaDatoteka::zavrni(const QString& pot)
{
    const QFileInfo info(pot);
    if (info.fileName().trimmed().isEmpty())
        return QStringLiteral("ime izhodne datoteke je prazno");

    std::error_code napaka;
    const fs::file_status stanje = fs::symlink_status(fsPot(pot), napaka);
    switch (stanje.type()) {
    case fs::file_type::regular: return std::nullopt;
    case fs::file_type::directory: return QStringLiteral("pot je mapa, ne datoteka");
    case fs::file_type::symlink:
        return QStringLiteral("pot je simbolna povezava; izhodna datoteka mora biti navadna datoteka");
    case fs::file_type::block:
    case fs::file_type::character: return QStringLiteral("pot je naprava, ne datoteka");
    case fs::file_type::fifo: return QStringLiteral("pot je cev (FIFO), ne datoteka");
    case fs::file_type::socket: return QStringLiteral("pot je vtičnica (socket), ne datoteka");
    case fs::file_type::not_found: break;
    default:
        // Another error (a name too long, no permission to look) is the system's
        // reason, which odpri() gives.
        if (napaka && napaka != std::errc::no_such_file_or_directory && napaka != std::errc::not_a_directory)
            return std::nullopt;
        if (!napaka)
            return QStringLiteral("pot ni navadna datoteka");
        break;
    }

    const QString mapa = info.absolutePath();
    std::error_code napakaMape;
    if (!fs::is_directory(fs::status(fsPot(mapa), napakaMape)))
        return QStringLiteral("mapa ") + mapa + QStringLiteral(" ne obstaja");
    return std::nullopt;
}

// The caller reports the failure (with its own message) and logs razlog().
bool IzhodnaDatoteka::neuspeh(const QString& razlog)
{
    m_razlog = razlog;
    return false;
}

bool IzhodnaDatoteka::odpri()
{
    opusti();
    m_potrjena = false;
    if (const auto zakaj = zavrni(m_pot))
        return neuspeh(*zakaj);

    std::error_code napaka;
    const fs::file_status stanje = fs::symlink_status(fsPot(m_pot), napaka);
    if (napaka && stanje.type() != fs::file_type::not_found)
        return neuspeh(besedilo(napaka));
    const bool obstaja = stanje.type() == fs::file_type::regular;

    const QFileInfo info(m_pot);
    const QString mapa = info.absolutePath();
    int koda = 0;
    QString razlogZacasne;
    // Where the file system allows it, the new file has no name until potrdi(): a run
    // that is killed leaves nothing behind.
    {
        int kodaNeimenovane = 0;
        const int fd = platforma::odpriNeimenovano(mapa, kodaNeimenovane);
        if (fd >= 0) {
            m_datoteka = std::make_unique<QFile>();
            if (m_datoteka->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
                m_neimenovana = true;
                // The previous file's permissions carry over, as a rename would lose them.
                if (obstaja) {
                    if (const int k = platforma::prevzemiDovoljenja(fd, m_pot))
                        qCWarning(lcDb).noquote() << "Nova datoteka za" << m_pot
                                                  << "ni dobila dovoljenj ciljne datoteke:" << sistemskiRazlog(k);
                }
                return true;
            }
            platforma::zapri(fd);
            m_datoteka.reset();
        } else if (kodaNeimenovane == EACCES || kodaNeimenovane == EPERM || kodaNeimenovane == EROFS) {
            koda = kodaNeimenovane;
            razlogZacasne = sistemskiRazlog(koda);
        }
    }
    if (koda == 0)
        // A new file that nobody else can have opened: NewOnly creates it exclusively and
        // never through an existing name or a symbolic link.
        for (int poskus = 0; poskus < 16; ++poskus) {
            m_zacasna = zacasnoIme(mapa, info.fileName());
            m_datoteka = std::make_unique<QFile>(m_zacasna);
            errno = 0;
            if (m_datoteka->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                if (obstaja && !m_datoteka->setPermissions(QFileInfo(m_pot).permissions()))
                    qCWarning(lcDb).noquote() << "Začasna datoteka" << m_zacasna
                                              << "ni dobila dovoljenj ciljne datoteke:" << m_datoteka->errorString();
                return true;
            }
            koda = errno;
            razlogZacasne = razlogNaprave(*m_datoteka, koda);
            m_datoteka.reset();
            m_zacasna.clear();
            if (koda != EEXIST)
                break;
        }

    // The folder refuses new files: a writable regular target is written in place.
    if (obstaja && (koda == EACCES || koda == EPERM)) {
        // ReadWrite: a file opened only for writing would be truncated at once.
        auto cilj = std::make_unique<QFile>(m_pot);
        if (cilj->open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
            qCInfo(lcDb).noquote() << "Mapa" << mapa
                                   << QStringLiteral("ne sprejme novih datotek (") + razlogZacasne
                                          + QStringLiteral("); datoteka")
                                   << m_pot << "bo zapisana na mestu";
            m_cilj = std::move(cilj);
            m_pomnilnik = std::make_unique<QBuffer>();
            m_pomnilnik->open(QIODevice::WriteOnly);
            m_naMestu = true;
            return true;
        }
    }
    return neuspeh(razlogZacasne);
}

QIODevice* IzhodnaDatoteka::naprava()
{
    if (m_pomnilnik)
        return m_pomnilnik.get();
    return m_datoteka.get();
}

bool IzhodnaDatoteka::pisi(const QByteArray& bajti)
{
    QIODevice* d = naprava();
    if (!d)
        return neuspeh(QStringLiteral("datoteka ni odprta"));
    errno = 0;
    if (d->write(bajti) != bajti.size())
        return neuspeh(razlogNaprave(*d, errno));
    return true;
}

bool IzhodnaDatoteka::shraniKopijo(const QString& kopija)
{
    if (const auto zakaj = zavrni(kopija))
        return neuspeh(QStringLiteral("varnostna kopija ") + kopija + QStringLiteral(": ") + *zakaj);

    // A second name of the previous file is the cheapest copy; the target gets a new
    // file below, so the two never share contents again. In-place writing changes
    // the file itself and needs a real copy.
    if (!m_naMestu) {
        const QString mapa = QFileInfo(kopija).absolutePath();
        const QString povezava = zacasnoIme(mapa, QFileInfo(kopija).fileName());
        std::error_code napaka;
        fs::create_hard_link(fsPot(m_pot), fsPot(povezava), napaka);
        if (!napaka) {
            fs::rename(fsPot(povezava), fsPot(kopija), napaka);
            if (!napaka)
                return true;
            fs::remove(fsPot(povezava), napaka);
        }
        qCDebug(lcDb).noquote() << "Varnostne kopije" << kopija << "ni mogoče narediti s povezavo:" << besedilo(napaka);
    }

    QFile vir(m_pot);
    if (!vir.open(QIODevice::ReadOnly))
        return neuspeh(QStringLiteral("varnostna kopija ") + kopija + QStringLiteral(": ") + razlogNaprave(vir, errno));
    IzhodnaDatoteka k(kopija);
    bool ok = k.odpri();
    while (ok && !vir.atEnd()) {
        const QByteArray kos = vir.read(1 << 20);
        if (kos.isEmpty() && vir.error() != QFileDevice::NoError) {
            k.m_razlog = razlogNaprave(vir, errno);
            ok = false;
            break;
        }
        ok = k.pisi(kos);
    }
    if (ok && k.potrdi())
        return true;
    return neuspeh(QStringLiteral("varnostna kopija ") + kopija + QStringLiteral(": ") + k.razlog());
}

bool IzhodnaDatoteka::zapisiNaMesto()
{
    const QByteArray& bajti = m_pomnilnik->data();
    // Reserve the space first: a full disk then fails before the previous contents
    // are overwritten. A file system without reservation writes all the same.
    if (const int r = platforma::rezervirajProstor(m_cilj->handle(), bajti.size()))
        return neuspeh(sistemskiRazlog(r));
    errno = 0;
    if (!m_cilj->seek(0) || m_cilj->write(bajti) != bajti.size() || !m_cilj->resize(bajti.size()))
        return neuspeh(razlogNaprave(*m_cilj, errno));
    QString razlog;
    if (!naDisk(*m_cilj, razlog))
        return neuspeh(razlog);
    m_cilj->close();
    return true;
}

bool IzhodnaDatoteka::poimenuj(const QString& ime)
{
    if (!m_datoteka || m_naMestu)
        return neuspeh(QStringLiteral("mapa ne sprejme novih datotek"));
    QString razlog;
    if (!naDisk(*m_datoteka, razlog))
        return neuspeh(razlog);
    const int koda =
        m_neimenovana ? platforma::poimenujNeimenovano(m_datoteka->handle(), ime) : platforma::povezi(m_zacasna, ime);
    if (koda != 0)
        return neuspeh(sistemskiRazlog(koda));
    folderNaDisk(QFileInfo(ime).absolutePath());
    return true;
}

bool IzhodnaDatoteka::potrdi(const QString& varnostnaKopija, bool kljubZahtevi)
{
    m_ustavljena = false;
    if (!naprava())
        return neuspeh(QStringLiteral("datoteka ni odprta"));
    if (!kljubZahtevi && g_zahtevaKonca && g_zahtevaKonca()) {
        opusti();
        m_ustavljena = true;
        return neuspeh(QStringLiteral("ustavljeno na zahtevo (signal); prejšnja datoteka ostane"));
    }

    if (m_naMestu) {
        if (!varnostnaKopija.isEmpty() && !shraniKopijo(varnostnaKopija))
            return false;
        if (!zapisiNaMesto())
            return false;
        m_pomnilnik.reset();
        m_cilj.reset();
        m_potrjena = true;
        return true;
    }

    QString razlog;
    if (!naDisk(*m_datoteka, razlog)) {
        opusti();
        return neuspeh(razlog);
    }
    if (m_neimenovana) {
        // The unnamed file gets a hidden name beside the target only now, for the
        // rename below; until then a killed run left nothing.
        const QString mapa = QFileInfo(m_pot).absolutePath();
        int koda = EEXIST;
        for (int poskus = 0; poskus < 16 && koda == EEXIST; ++poskus) {
            const QString ime = zacasnoIme(mapa, QFileInfo(m_pot).fileName());
            koda = platforma::poimenujNeimenovano(m_datoteka->handle(), ime);
            if (koda == 0)
                m_zacasna = ime;
        }
        if (koda != 0) {
            opusti();
            return neuspeh(sistemskiRazlog(koda));
        }
        m_neimenovana = false;
    }
    m_datoteka->close();

    // The path is looked at again: what was put there meanwhile is not replaced
    // unless it is a regular file.
    if (const auto zakaj = zavrni(m_pot)) {
        opusti();
        return neuspeh(*zakaj);
    }
    std::error_code napaka;
    if (!varnostnaKopija.isEmpty() && fs::is_regular_file(fs::symlink_status(fsPot(m_pot), napaka))
        && !shraniKopijo(varnostnaKopija)) {
        opusti();
        return false;
    }
    fs::rename(fsPot(m_zacasna), fsPot(m_pot), napaka);
    if (napaka) {
        opusti();
        return neuspeh(besedilo(napaka));
    }
    m_zacasna.clear();
    m_datoteka.reset();
    folderNaDisk(QFileInfo(m_pot).absolutePath());
    m_potrjena = true;
    return true;
}

void IzhodnaDatoteka::opusti()
{
    m_neimenovana = false;
    if (m_datoteka) {
        m_datoteka->close();
        m_datoteka.reset();
    }
    if (!m_zacasna.isEmpty()) {
        std::error_code napaka;
        if (!fs::remove(fsPot(m_zacasna), napaka) && napaka)
            qCWarning(lcDb).noquote() << "Začasne datoteke" << m_zacasna << "ni mogoče odstraniti:" << besedilo(napaka);
        m_zacasna.clear();
    }
    m_cilj.reset();
    m_pomnilnik.reset();
    m_naMestu = false;
}
