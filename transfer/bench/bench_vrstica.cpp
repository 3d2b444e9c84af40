// Time to build and encode one detail line of the ledger file, look-ups served from
// memory so that only the line itself is measured. Prints nanoseconds per line.
//
//   build/bench/bench_vrstica [lines]

#include "datotekagk.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class IskanjeIzPomnilnika : public Iskanje {
public:
    QString organizacija(qint64 pogodba) override { return pogodba % 2 ? m_organizacija : QString(); }
    QString vrstaPartnerja(qint64 partner) override { return partner % 3 ? m_vrsta : QString(); }

private:
    QString m_organizacija = QStringLiteral(" 101 ");
    QString m_vrsta = QStringLiteral("P");
};

std::vector<Knjizba> vzorec()
{
    std::vector<Knjizba> knjizbe;
    const char* konti[] = {"2301", "1100", "9788010", "1200"};
    const char* saldakonten[] = {"T", "I", "N", ""};
    const char* strani[] = {"B", "D", "b", "d"};
    for (int i = 0; i < 64; ++i) {
        Knjizba k;
        k.DATUMK = QDate(2018, 1, 1 + i % 28);
        k.DATUMV = QDate(2018, 1, 2 + i % 27);
        k.SFDJV = i % 5 ? QStringLiteral("K") : QStringLiteral("N");
        k.IDPOG = 1000 + i;
        k.KIDPOG = 2000 + i;
        k.IDMASTER = i % 4;
        k.SFOSB = 100 + i;
        k.KONTO = QString::fromLatin1(konti[i % 4]);
        k.SALDAKONTEN = QString::fromLatin1(saldakonten[i % 4]);
        k.DEVIZEN = i % 3 ? QString() : QStringLiteral("D");
        k.VALUTA = i % 3 ? QStringLiteral("SIT") : QStringLiteral("USD");
        k.STVALUTE = i % 3 ? QStringLiteral("705") : QStringLiteral("840");
        k.STRAN = QString::fromLatin1(strani[i % 4]);
        k.BZNESEK = i % 2 ? 1234.565 + i : 0;
        k.DZNESEK = i % 2 ? 0 : 98765.43 * i;
        k.BZNESEKSIT = k.BZNESEK * 1.1;
        k.DZNESEKSIT = -k.DZNESEK * 0.9;
        k.KRTBNK = QStringLiteral("00123");
        k.KRTBNK1 = i % 7 ? QStringLiteral("04567") : QStringLiteral("12A");
        k.VP = i;
        knjizbe.push_back(k);
    }
    return knjizbe;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long vrstic = argc > 1 ? std::atol(argv[1]) : 2000000;
    const std::vector<Knjizba> knjizbe = vzorec();
    IskanjeIzPomnilnika iskanje;

    // Warm-up, then the measured run; the byte sum keeps the work from being optimised away.
    std::size_t bajtov = 0;
    for (long i = 0; i < 10000; ++i)
        bajtov += zgradiPodrobnoVrstico(knjizbe[i % knjizbe.size()], i, iskanje).vrstica.size();

    const auto zacetek = std::chrono::steady_clock::now();
    for (long i = 0; i < vrstic; ++i)
        bajtov += zgradiPodrobnoVrstico(knjizbe[i % knjizbe.size()], i % 9999, iskanje).vrstica.size();
    const auto konec = std::chrono::steady_clock::now();

    const double ns = std::chrono::duration<double, std::nano>(konec - zacetek).count() / vrstic;
    std::printf("detail line: %.0f ns per line (%ld lines, %zu bytes)\n", ns, vrstic, bajtov);
    return 0;
}
