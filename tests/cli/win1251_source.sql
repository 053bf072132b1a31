-- A WIN1251 database as an old client wrote it (run through a WIN1251
-- attachment: the test converts this file to WIN1251 first), for the
-- conversion of its texts into UTF8. Cyrillic in a domain and its default
-- and check, columns with PXW_CYRL collations, a text blob, a view's text,
-- an exception's message (kept as the attachment's bytes), a trigger and a
-- procedure declaring WIN1251 variables and parameters, a comment, and a
-- NONE column holding WIN1251 bytes.
ALTER CHARACTER SET WIN1251 SET DEFAULT COLLATION PXW_CYRL;
CREATE DOMAIN D_NAME AS VARCHAR(40) CHARACTER SET WIN1251 DEFAULT 'Без имени' CHECK (VALUE <> 'плохо')
  COLLATE PXW_CYRL;
CREATE EXCEPTION E_BAD 'Недопустимое значение';
CREATE TABLE PERSON (
  ID INTEGER NOT NULL PRIMARY KEY,
  NAME D_NAME,
  CITY VARCHAR(30) COLLATE PXW_CYRL,
  CODE CHAR(5) CHARACTER SET WIN1251,
  RAW_NAME VARCHAR(20) CHARACTER SET NONE,
  BIN VARCHAR(8) CHARACTER SET OCTETS,
  NOTE BLOB SUB_TYPE TEXT CHARACTER SET WIN1251
);
COMMENT ON TABLE PERSON IS 'Люди';
CREATE INDEX PERSON_CITY ON PERSON (CITY);
CREATE VIEW V_PERSON (ID, NAME) AS SELECT ID, NAME FROM PERSON WHERE CITY <> 'Нигде';
SET TERM ^ ;
CREATE TRIGGER PERSON_BI FOR PERSON BEFORE INSERT AS
DECLARE VARIABLE T VARCHAR(10) CHARACTER SET WIN1251 COLLATE PXW_CYRL = 'тест';
BEGIN
  IF (NEW.NAME = 'запрет') THEN EXCEPTION E_BAD 'Имя запрещено: CHARACTER SET WIN1251';
END^
CREATE PROCEDURE GREET (WHO VARCHAR(20) CHARACTER SET WIN1251) RETURNS (MSG VARCHAR(60) CHARACTER SET WIN1251) AS
BEGIN
  MSG = 'Привет, ' || WHO; -- CHARACTER SET WIN1251 in a comment stays
  SUSPEND;
END^
SET TERM ; ^
INSERT INTO PERSON VALUES (1, 'Иван', 'Москва', 'АБВ', CAST(x'CFE5F2FF' AS VARCHAR(20) CHARACTER SET NONE), x'0102',
  'Длинный текст про Ивана');
INSERT INTO PERSON VALUES (2, 'Ольга', 'Киев', 'ГДЕ', NULL, NULL, NULL);
INSERT INTO PERSON (ID, NAME, NOTE) VALUES (3, 'Длинный', 'Начало' || LPAD('', 3000, 'я') || 'Конец');
COMMIT;
