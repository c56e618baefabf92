-- A line that text cannot hold (it has a NUL byte) is kept in other_lines:
-- its exact bytes in bytes, and in line PostgreSQL's escape form of them
-- (NUL as \000, a byte above 127 as \nnn, a backslash doubled), so that
-- decode(line, 'escape') gives the same bytes again. Such lines may come from
-- either followed file, so other_lines names the file.

ALTER TABLE tally77.other_lines ADD COLUMN file text NOT NULL DEFAULT 'fl.db1';
ALTER TABLE tally77.other_lines ADD COLUMN bytes bytea;
-- An escaped line never stands for the same bytes as a plain line of the
-- same text, hence the key tells them apart.
DROP INDEX tally77.other_lines_once;
CREATE UNIQUE INDEX other_lines_once ON tally77.other_lines (station_id, file, md5(line), (bytes IS NULL));
