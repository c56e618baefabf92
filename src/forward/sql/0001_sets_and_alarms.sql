-- The sets and alarms of many stations, and how far each station's files
-- have been shipped. Every table is only ever appended to by the forwarder,
-- so its role needs nothing but INSERT and SELECT.

CREATE TABLE tally77.stations (
  id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  name text NOT NULL UNIQUE,
  first_seen timestamptz NOT NULL DEFAULT now()
);

-- One row per line of the set database: the whole record as written (8-bit
-- text read as Latin-1, trailing blanks kept) and its header taken apart.
CREATE TABLE tally77.sets (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  station_id integer NOT NULL REFERENCES tally77.stations,
  marker text NOT NULL,                 -- characters 1-4 of the record
  stamp text NOT NULL,                  -- characters 5-18: local YYYYMMDDhhmmss as written
  utc_offset integer NOT NULL,          -- seconds east of UTC on the station at that time
  taken_at timestamptz NOT NULL,        -- the stamp as an instant
  processor_type text NOT NULL CHECK (processor_type IN ('fLI', 'fLII')),
  record text NOT NULL,
  file_offset bigint NOT NULL,          -- where the line began in its file when it was shipped
  shipped_at timestamptz NOT NULL DEFAULT now()
);
-- A set is stored once, however often its file is read again.
CREATE UNIQUE INDEX sets_once ON tally77.sets (station_id, stamp, md5(record));
-- The sets of a station between two times.
CREATE INDEX sets_station_time ON tally77.sets (station_id, taken_at);

-- The 16 lines of a set in the order of the record, each taken apart.
CREATE TABLE tally77.readings (
  set_id bigint NOT NULL REFERENCES tally77.sets ON DELETE CASCADE,
  slot smallint NOT NULL CHECK (slot BETWEEN 1 AND 16),
  station_id integer NOT NULL REFERENCES tally77.stations,
  taken_at timestamptz NOT NULL,
  channel integer,                      -- field 1 as a whole number
  line text NOT NULL,                   -- the line as it stands in the record
  field1 numeric, field2 numeric, field3 numeric, field4 numeric,
  field5 numeric, field6 numeric, field7 numeric, field8 numeric,  -- 5-8 only for fLII
  PRIMARY KEY (set_id, slot)
);
-- One channel across stations.
CREATE INDEX readings_channel_time ON tally77.readings (channel, taken_at, station_id);

-- One row per line of the alarm log: the line whole, and taken apart where
-- it has the usual form (channel, " high " or " low  ", marker, stamp).
CREATE TABLE tally77.alarms (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  station_id integer NOT NULL REFERENCES tally77.stations,
  line text NOT NULL,
  channel text,
  kind text CHECK (kind IN ('high', 'low')),
  stamp text,
  utc_offset integer,
  taken_at timestamptz,
  file_offset bigint NOT NULL,
  shipped_at timestamptz NOT NULL DEFAULT now()
);
CREATE UNIQUE INDEX alarms_once ON tally77.alarms (station_id, md5(line));
CREATE INDEX alarms_station_time ON tally77.alarms (station_id, taken_at);

-- How far each file of a station has been shipped: appended in the
-- transaction that stores the rows it covers; the newest row counts.
CREATE TABLE tally77.positions (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  station_id integer NOT NULL REFERENCES tally77.stations,
  file text NOT NULL,
  byte_offset bigint NOT NULL,          -- just past the CR LF of the last shipped line
  line_length integer NOT NULL,         -- that line's bytes, CR LF included
  line_hash bigint NOT NULL,            -- FNV-1a (64 bit) of those bytes
  committed_at timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX positions_latest ON tally77.positions (station_id, file, id DESC);

-- Lines of the set database that are no whole set (cut short, a field wider
-- than its column, lines of both processor types), kept whole with the reason.
CREATE TABLE tally77.other_lines (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  station_id integer NOT NULL REFERENCES tally77.stations,
  line text NOT NULL,
  reason text NOT NULL,
  file_offset bigint NOT NULL,
  shipped_at timestamptz NOT NULL DEFAULT now()
);
CREATE UNIQUE INDEX other_lines_once ON tally77.other_lines (station_id, md5(line));
