-- The erasure history: one TimeBase row per run key, BaseTable rows per run (a header row, then
-- one row per item). All columns are text; the column name "Itmes" is what the program reads.
CREATE TABLE TimeBase (Time TEXT);
CREATE TABLE BaseTable (Itmes TEXT, ErasureAlgorithm TEXT, Result TEXT, Time TEXT);
CREATE INDEX BaseTableTime ON BaseTable (Time);
