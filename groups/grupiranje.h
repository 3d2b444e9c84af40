#pragma once

#include "rezultat.h"

#include <QObject>
#include <QString>

class Okolje;

// The statements of event-group maintenance. They all run under the fixed database
// name "LB", whatever alias the operator chose at start-up.
namespace grupe {

inline const QString kImeBaze = QStringLiteral("LB");

// Creates the group table; the table is named by its file name, which the statement
// layer turns into GrupeDog on every database.
inline const QString kUstvari =
    QStringLiteral("CREATE TABLE  \"GrupeDog.db\" (IdGrupe char(2),SfDog integer,NzvGrupe char(10) )");

// The event list: every event code with its group, if it has one. The first opening
// uses the two-line form, every reload after a save the one-line form. Both list the
// events by their code, so that the list keeps its order on every database.
inline const QString kSeznam = QStringLiteral(
    "SELECT SfDog.SfDog,  GrupeDog.IdGrupe, GrupeDog.NzvGrupe, SfDog.Nzv  FROM SfDog LEFT OUTER JOIN GrupeDog\n"
    "ON SfDog.SfDog=GrupeDog.SfDog ORDER BY SfDog.SfDog");
inline const QString kSeznamPonovno =
    QStringLiteral("SELECT SfDog.SfDog,  GrupeDog.IdGrupe, GrupeDog.NzvGrupe, SfDog.Nzv  FROM SfDog "
                   " LEFT OUTER JOIN GrupeDog  ON SfDog.SfDog=GrupeDog.SfDog ORDER BY SfDog.SfDog");

// All group rows, searched for the chosen event.
inline const QString kVseGrupe = QStringLiteral("SELECT * FROM GrupeDog ");
// The rows of one group (its present name) and of one event. Keys, names and event
// codes are bound as parameters, never spliced into the text.
inline const QString kGrupa = QStringLiteral("SELECT * FROM GrupeDog  WHERE IdGrupe=:IDGRUPE ");
inline const QString kDogodek = QStringLiteral("SELECT * FROM GrupeDog  WHERE SfDog=:SFDOG");
inline const QString kDodajDogodek =
    QStringLiteral("INSERT INTO GrupeDog (IdGrupe, SfDog, NzvGrupe) VALUES (:IDGRUPE, :SFDOG, :NZVGRUPE)");
inline const QString kPremakniDogodek =
    QStringLiteral("UPDATE GrupeDog  SET IdGrupe=:IDGRUPE, NzvGrupe=:NZVGRUPE  WHERE SfDog=:SFDOG");
// Gives the whole group one name.
inline const QString kPreimenujGrupo =
    QStringLiteral("UPDATE GrupeDog  SET NzvGrupe=:NZVGRUPE  WHERE IdGrupe=:IDGRUPE ");

// The messages of a save that cannot start.
inline const QString kNiDogodka =
    QStringLiteral("SfDog (dogodek) ni izbran!") + QChar(u'\r') + QStringLiteral("Klikni na dogodek v seznamu!");
inline const QString kNiIdGrupe = QStringLiteral("Id grupe ni vnešen!");
inline const QString kNepravilenIdGrupe = QStringLiteral("Id grupe ni pravilen!");
// A save that the database refused, followed by the database's text.
// The database's own text follows, introduced as the reason: it may be in the
// database's language.
inline const QString kNiShranjeno = QStringLiteral("Grupe ni bilo mogoče shraniti; razlog: ");
// The list could not be read again after a save, followed by the database's text.
inline const QString kSeznamNiOsvezen = QStringLiteral("Seznama dogodkov ni bilo mogoče osvežiti: ");

// Creates GrupeDog under "LB" when it is missing. Every failure, above all that the
// table exists already, is ignored.
void UstvariGrupeDog();

// A group number as it is stored: at least two digits with a leading zero (7 -> "07").
QString kljucGrupe(int stevilka);

} // namespace grupe

// The three fields of the group dialog as the engine sees them, with the colour that
// the two editable ones share.
struct PoljaGrupe {
    QString SfDog;        // eSfDog: the chosen event code
    QString IdGrupe;      // eIdGrupe: group number as typed
    QString NazivGrupe;   // eNazivGrupe: group name
    bool srebrna = false; // silver: the fields show the stored group of the event; else white

    bool operator==(const PoljaGrupe&) const = default;
};

// Event-group maintenance without widgets: the event list `Q2` with its data link
// `DataSource2`, the current row of the list, the dialog's fields, and the two
// operations on them, showing the chosen event and saving the fields.
class GrupiranjeDogodkov : public QObject {
    Q_OBJECT
public:
    explicit GrupiranjeDogodkov(QObject* parent = nullptr);

    Rezultat* Q2;
    PodatkovniVir* DataSource2;
    PoljaGrupe polja;

    // Opens the event list unless it is open already; throws Napaka when it cannot.
    void odpriSeznam();

    // The current row of the list (0-based, -1 when there is none).
    int trenutnaVrstica() const { return m_vrstica; }
    void premakniNa(int vrstica);

    // Fills the fields from the event on the current row of the list.
    void PodatkiIzBaze();

    // Saves the fields: assigns the chosen event to the group and gives the whole
    // group the name in the name field; reloads the list on the saved event.
    // The three messages of a save that cannot start go to `okolje`, and so does a
    // save that the database refuses (a locked table): the list then stays as it was.
    void AzurirajGrupe(Okolje& okolje);

private:
    void odpriQ2(const QString& sql);
    int m_vrstica = -1;
};
