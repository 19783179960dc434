-- What the map reads to draw only what a view shows. Kept by every writer: SQLite keeps
-- the index; the triggers drop the box of a track whose points are added or moved, and the
-- map computes the boxes that are missing before it draws.
-- Waypoints by position.
CREATE INDEX IF NOT EXISTS Points_XY ON Points (X, Y) WHERE Trace = 0;
-- The box of each track's points (Null bounds for a track without a drawable point).
CREATE TABLE IF NOT EXISTS EtendueTrace (
  Id_trace INTEGER PRIMARY KEY,
  minX REAL, maxX REAL, minY REAL, maxY REAL);
CREATE TRIGGER IF NOT EXISTS EtendueTrace_ajout AFTER INSERT ON Points WHEN new.Trace <> 0
BEGIN DELETE FROM EtendueTrace WHERE Id_trace = new.Trace; END;
CREATE TRIGGER IF NOT EXISTS EtendueTrace_deplacement AFTER UPDATE OF X, Y, Trace ON Points
WHEN old.Trace <> 0 OR new.Trace <> 0
BEGIN DELETE FROM EtendueTrace WHERE Id_trace IN (old.Trace, new.Trace); END;
CREATE TRIGGER IF NOT EXISTS EtendueTrace_suppression AFTER DELETE ON Trace
BEGIN DELETE FROM EtendueTrace WHERE Id_trace = old.Id_trace; END;
