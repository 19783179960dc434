-- What the map reads to draw only what a view shows. Kept by every writer: SQLite keeps
-- the index; a point added to a track or moved widens the track's box (a box wider than
-- its points is still right), and the first point of a new track gives it its box; the
-- map works out in memory a box that is missing (a redraw only reads).
-- Waypoints by position.
CREATE INDEX IF NOT EXISTS Points_XY ON Points (X, Y) WHERE Trace = 0;
-- The selected points, so that whether any is selected is known without a pass over all.
CREATE INDEX IF NOT EXISTS Points_Selection ON Points (Trace) WHERE Selected <> 0;
-- The box of each track's points (Null bounds for a track without a drawable point).
CREATE TABLE IF NOT EXISTS EtendueTrace (
  Id_trace INTEGER PRIMARY KEY,
  minX REAL, maxX REAL, minY REAL, maxY REAL);
DROP TRIGGER IF EXISTS EtendueTrace_ajout;
DROP TRIGGER IF EXISTS EtendueTrace_deplacement;
CREATE TRIGGER IF NOT EXISTS EtendueTrace_point AFTER INSERT ON Points WHEN new.Trace <> 0
BEGIN
  UPDATE EtendueTrace SET minX = min(coalesce(minX, new.X), new.X), maxX = max(coalesce(maxX, new.X), new.X),
    minY = min(coalesce(minY, new.Y), new.Y), maxY = max(coalesce(maxY, new.Y), new.Y)
  WHERE Id_trace = new.Trace AND new.X IS NOT NULL AND new.Y IS NOT NULL;
  INSERT OR IGNORE INTO EtendueTrace (Id_trace, minX, maxX, minY, maxY)
  SELECT new.Trace, CASE WHEN new.Y IS NOT NULL THEN new.X END, CASE WHEN new.Y IS NOT NULL THEN new.X END,
    CASE WHEN new.X IS NOT NULL THEN new.Y END, CASE WHEN new.X IS NOT NULL THEN new.Y END
  WHERE NOT EXISTS (SELECT 1 FROM Points WHERE Trace = new.Trace AND Id_point <> new.Id_point);
END;
CREATE TRIGGER IF NOT EXISTS EtendueTrace_point_deplace AFTER UPDATE OF X, Y, Trace ON Points WHEN new.Trace <> 0
BEGIN
  UPDATE EtendueTrace SET minX = min(coalesce(minX, new.X), new.X), maxX = max(coalesce(maxX, new.X), new.X),
    minY = min(coalesce(minY, new.Y), new.Y), maxY = max(coalesce(maxY, new.Y), new.Y)
  WHERE Id_trace = new.Trace AND new.X IS NOT NULL AND new.Y IS NOT NULL;
END;
CREATE TRIGGER IF NOT EXISTS EtendueTrace_suppression AFTER DELETE ON Trace
BEGIN DELETE FROM EtendueTrace WHERE Id_trace = old.Id_trace; END;
-- The boxes of the tracks that have none: after a load, or in an older database.
INSERT INTO EtendueTrace (Id_trace, minX, maxX, minY, maxY)
SELECT T.Id_trace, min(P.X), max(P.X), min(P.Y), max(P.Y) FROM Trace T
LEFT JOIN Points P ON P.Trace = T.Id_trace AND P.X IS NOT NULL AND P.Y IS NOT NULL
WHERE T.Id_trace NOT IN (SELECT Id_trace FROM EtendueTrace) GROUP BY T.Id_trace;
