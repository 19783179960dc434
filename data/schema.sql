-- Tables of the workspace database "sotrix.mdb".
-- Nom and Desc use NOCASE, which the program's database layer redefines on each
-- connection: names equal without regard to case (accented letters included), sorted
-- in French order (src/platform/NameCollation.h).
-- No index may use those columns: their order would differ between tools.
CREATE TABLE Points (
  Id_point INTEGER PRIMARY KEY,
  Nom TEXT COLLATE NOCASE,
  X REAL, Y REAL, Lat REAL, Lon REAL, Altitude REAL,
  "Date" TEXT,
  Description TEXT,
  Trace INTEGER DEFAULT 0,
  Num_trace INTEGER,
  Selected INTEGER NOT NULL DEFAULT 0);
CREATE TABLE Trace (
  Id_trace INTEGER PRIMARY KEY,
  Nom TEXT COLLATE NOCASE,
  Description TEXT,
  Fermer INTEGER NOT NULL DEFAULT 0,
  Selected INTEGER NOT NULL DEFAULT 0,
  Nb INTEGER);
CREATE INDEX Points_Trace ON Points (Trace, Num_trace);
-- The map's index, from map_index.sql (which also upgrades older databases):
@SOTRIX_MAP_INDEX_SQL@
CREATE TABLE Options (
  Gps SMALLINT, Port SMALLINT, Vitesse SMALLINT, Decalage SMALLINT,
  ProjGps INTEGER, ProjCarto INTEGER, Dossier TEXT, Taille SMALLINT,
  Couleur INTEGER, CouleurSel INTEGER, CouleurShp INTEGER, CouleurEdit INTEGER,
  SupInt BOOLEAN, checkUpdate BOOLEAN, urlUpdate TEXT);
CREATE TABLE Proj (Epsg INTEGER, "Desc" TEXT COLLATE NOCASE, Proj4 TEXT);
CREATE UNIQUE INDEX Proj_Epsg ON Proj (Epsg);
CREATE TABLE projbackup (epsg INTEGER, proj4 TEXT);
CREATE UNIQUE INDEX projbackup_epsg ON projbackup (epsg);
CREATE TABLE "A propos de" (Version TEXT, Db SMALLINT);
-- The build writes the program's version from the project() line of CMakeLists.txt.
INSERT INTO "A propos de" (Version, Db) VALUES ('@PROJECT_VERSION@', 1);
