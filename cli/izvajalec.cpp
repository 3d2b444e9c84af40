#include "izvajalec.h"

#include "belezenje.h"
#include "moznosti.h"
#include "napaka.h"

#include <exception>

int kodaNeuspeha(bool ustavljiv, bool signalPrejet)
{
    return ustavljiv && signalPrejet ? kUstavljenoSSignalom : kNeuspesno;
}

bool jeIzhodnaKoda(int koda)
{
    switch (koda) {
    case kOpravljeno:
    case kNeuspesno:
    case kZavrnjeno:
    case kZOpozorili:
    case kIzidNeznan:
    case kUstavljenoSSignalom: return true;
    default: return false;
    }
}

int zazeniUkaz(const IzvediUkaz& izvedi, const QStringList& argumenti, TerminalOkolje& okolje, bool ustavljiv)
{
    QString besedilo;
    try {
        const int koda = izvedi(argumenti, okolje);
        if (jeIzhodnaKoda(koda))
            return koda;
        qCCritical(lcCli).noquote() << "Ukaz je vrnil nedokumentirano izhodno kodo" << koda;
        return kNeuspesno;
    } catch (const Napaka& e) {
        besedilo = e.besedilo();
    } catch (const std::exception& e) {
        besedilo = QString::fromUtf8(e.what());
    } catch (...) {
        besedilo = QStringLiteral("Neznana napaka");
    }
    qCCritical(lcCli).noquote() << "Ukaz se je končal z napako:" << besedilo;
    okolje.sporocilo(besedilo);
    return kodaNeuspeha(ustavljiv, TerminalOkolje::signalPrejet());
}
