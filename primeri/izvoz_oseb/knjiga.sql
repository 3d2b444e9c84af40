-- The two tables the party register export reads.
CREATE TABLE OSB (SFOSB INTEGER NOT NULL PRIMARY KEY, KRTBNK VARCHAR(10), SFSOS VARCHAR(2), Ime VARCHAR(60),
  Nzv VARCHAR(80), Nsl VARCHAR(60), Pst VARCHAR(10), Mst VARCHAR(40), Zrr VARCHAR(20), Sklic VARCHAR(30));
CREATE TABLE POG (IDPOG INTEGER NOT NULL PRIMARY KEY, SFOSB INTEGER, KRTBIS VARCHAR(10), Nzv VARCHAR(80),
  SFORG INTEGER);

-- Party 100: runs of blanks in the name are cut to one, not so in the street, which is
-- longer than its 30 places. Party 200: Slovenian letters (Windows-1250 bytes in the
-- file), a letter the code page lacks (written as '?'), no post code (the place alone).
-- Party 300 has no contract.
INSERT INTO OSB (SFOSB, KRTBNK, SFSOS, Ime, Nzv, Nsl, Pst, Mst, Zrr, Sklic) VALUES (100, '00123', 'P', 'Janez',
  'Novak  in   sin d.o.o.', 'Cesta  na Brdo 5, vhod B, nadstropje 3', '1000', 'Ljubljana',
  'SI56020100012345678', 'SI00 2018-001');
INSERT INTO OSB (SFOSB, KRTBNK, SFSOS, Ime, Nzv, Nsl, Pst, Mst, Zrr, Sklic) VALUES (200, '4567', 'F', 'Bjørn Čedomir',
  'Šuštar', 'Žabja vas 12', NULL, 'Kranj', NULL, NULL);
INSERT INTO OSB (SFOSB, KRTBNK, SFSOS, Ime, Nzv, Nsl, Pst, Mst, Zrr, Sklic) VALUES (300, '9', 'P', 'Ana', 'Brez',
  'Pogodbe 1', '2000', 'Maribor', NULL, NULL);

-- Contracts: a line each, in the order the table holds them, except 3 (its party is
-- missing) and 4 (no card number); 5's card number is cut to its 8 places.
INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (1, 100, 'NOVAK', 'NOVAK', NULL);
INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (2, 200, 'SUSTAR', 'SUSTAR', NULL);
INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (3, 999, 'NIKOGAR', 'NIKOGAR', NULL);
INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (4, 100, NULL, 'NOVAK', NULL);
INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv, SFORG) VALUES (5, 200, 'SUSTAR-12', 'SUSTAR', NULL);
