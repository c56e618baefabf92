-- A line is stored once for each place it stands in its file, not once for
-- its text: the same alarm twice in the alarm log is two events, and so is a
-- damaged line that occurs twice. The line's bytes are part of its key, so
-- a file read again (after a restart, or replaced by a copy that holds the
-- shipped lines where they stood) adds only what is new, while other bytes
-- at an offset already shipped are a line of their own.

DROP INDEX tally77.sets_once;
CREATE UNIQUE INDEX sets_once ON tally77.sets (station_id, file_offset, md5(record));
DROP INDEX tally77.alarms_once;
CREATE UNIQUE INDEX alarms_once ON tally77.alarms (station_id, file_offset, md5(line));
DROP INDEX tally77.other_lines_once;
CREATE UNIQUE INDEX other_lines_once ON tally77.other_lines (station_id, file, file_offset, md5(line), (bytes IS NULL));
