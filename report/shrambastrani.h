#pragma once

#include "postavitev.h"

#include <QList>
#include <QString>

// Laid-out pages kept for a preview that pages back and forth. A page is kept in a
// compact form (its texts in one string, its items as positions and offsets into it),
// a fifth or so of a Stran's memory, so that the pages of a list of a hundred
// thousand rows stay within a few tens of megabytes; stran() gives it back whole.
class ShrambaStrani {
public:
    void dodaj(const Stran& stran);
    int steviloStrani() const { return int(m_strani.size()); }
    // The page with index i (0 for the first); the same as the page that was added.
    Stran stran(int i) const;
    void pocisti() { m_strani.clear(); }

private:
    struct Element {
        double x, y;
        float sirina, visina;
        quint32 zacetek; // of its text in the page's texts
        quint32 dolzina;
        quint8 vrsta;
        quint8 poravnava;
        quint8 zastavice; // 1 bold, 2 underlined
        quint8 pas;
    };
    struct Zapis {
        int stevilka;
        QSizeF velikostMm;
        QList<PostavljenPas> pasovi;
        QList<Element> elementi;
        QString besedila;
    };
    QList<Zapis> m_strani;
};
