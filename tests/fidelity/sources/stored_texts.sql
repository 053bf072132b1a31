-- charset: UTF8
-- page_size: 8192
-- Hand-written DDL as found in long-lived schemas: line comments after every
-- kind of stored text (the engine keeps them inside the stored source),
-- block comments and strings that look like comments, computed columns with a
-- type, character set and collation, a database trigger with grants of its
-- own, a privilege left behind by a renamed and dropped domain, and user
-- names that begin like the engine's own (INTEG_, CHECK_, RDB$).

CREATE DOMAIN DM_QTY AS INTEGER DEFAULT 0 -- none yet
  NOT NULL CHECK (VALUE >= 0) -- never negative
;
CREATE DOMAIN DM_NOTE AS VARCHAR(40) DEFAULT '-- /* not a comment */' /* trailing block */ ;
CREATE DOMAIN DM_LABEL AS VARCHAR(30) CHARACTER SET WIN1251 DEFAULT 'label' -- label
  COLLATE PXW_CYRL;
COMMIT;

/* A privilege on a domain that no longer exists: its owner's USAGE row stays
   behind under the old name when the domain is renamed. */
CREATE DOMAIN DM_RENAMED_OLD AS INTEGER;
ALTER DOMAIN DM_RENAMED_OLD TO DM_RENAMED_NEW;
COMMIT;
DROP DOMAIN DM_RENAMED_NEW;
COMMIT;

CREATE TABLE ORDERS (
  ID INTEGER NOT NULL,
  QTY DM_QTY DEFAULT 1 -- one unless told
  , COST_TOTAL NUMERIC(12,2) DEFAULT 0 -- total in cost
  , COST_RETAIL NUMERIC(12,2) DEFAULT 0 /* retail */ NOT NULL,
  NOTE VARCHAR(60) DEFAULT 'a -- b /* c */ ''d'' ' -- quoted
  , LAST_NAME VARCHAR(30) CHARACTER SET WIN1251 COLLATE PXW_CYRL,
  FIRST_NAME VARCHAR(30) CHARACTER SET WIN1251 COLLATE PXW_CYRL,
  FULL_NAME COMPUTED BY (LAST_NAME || ' ' || FIRST_NAME) -- the collation comes from the names
  , SORT_NAME VARCHAR(61) CHARACTER SET WIN1251 COMPUTED BY (LAST_NAME || ' ' || FIRST_NAME) -- declared type
  , MARGIN NUMERIC(12,2) COMPUTED BY (COST_RETAIL - COST_TOTAL /* both net */) -- margin
  , AMOUNT INTEGER DEFAULT 0,
  CONSTRAINT INTEG_ORDERS PRIMARY KEY (ID),
  CONSTRAINT CHECK_AMOUNT CHECK (AMOUNT >= 0) -- a user's name that looks like the engine's
  , CONSTRAINT CHECK_QTY CHECK (QTY < 1000 /* a limit */ AND NOTE <> '--') -- also user's
);
CREATE TABLE ORDER_LINE (
  ORDER_ID INTEGER NOT NULL,
  LINE_NO SMALLINT NOT NULL,
  CONSTRAINT "RDB$PRIMARY_LINE" PRIMARY KEY (ORDER_ID, LINE_NO),
  CONSTRAINT INTEG_ORDER_LINE_ORDER FOREIGN KEY (ORDER_ID) REFERENCES ORDERS (ID) ON DELETE CASCADE
);
CREATE TABLE DDL_LOG (ID INTEGER, AT_TIME TIMESTAMP DEFAULT CURRENT_TIMESTAMP -- when
, WHO VARCHAR(63));
CREATE INDEX RDB$ORDERS_NOTE ON ORDERS (NOTE);
CREATE INDEX INTEG_ORDERS_AMOUNT ON ORDERS COMPUTED BY (AMOUNT * 2) -- doubled
;
COMMIT;
COMMENT ON INDEX RDB$ORDERS_NOTE IS 'a user''s index name';
COMMENT ON INDEX INTEG_ORDERS IS 'the index of a user''s key name';
COMMIT;

CREATE VIEW V_ORDERS (ID, NOTE, MARGIN) AS
  SELECT ID, NOTE, MARGIN FROM ORDERS /* all of them */
  WHERE NOTE <> '--' AND NOTE <> '/*' -- every order
;
COMMIT;

SET TERM ^ ;
CREATE PROCEDURE P_ORDER_TOTAL (ORDER_ID INTEGER = 0 -- all orders
  , FACTOR NUMERIC(5,2) = 1 /* as is */, PREFIX VARCHAR(10) = '--' -- dashes
  ) RETURNS (TOTAL NUMERIC(18,2), LABEL VARCHAR(40))
AS
  DECLARE N INTEGER = 0; -- count
BEGIN
  /* a block comment with -- inside */
  SELECT SUM(AMOUNT) FROM ORDERS WHERE ID = :ORDER_ID OR :ORDER_ID = 0 INTO :TOTAL; -- sum
  TOTAL = TOTAL * FACTOR;
  LABEL = PREFIX || ' total /* no comment */ -- here';
  SUSPEND;
END -- end of the procedure
^
CREATE FUNCTION F_DOUBLE (X INTEGER = 2 -- two
  ) RETURNS INTEGER
AS
BEGIN
  RETURN X * 2; -- twice
END -- after the end
^
CREATE PACKAGE PK_TEXTS AS
BEGIN
  FUNCTION HALF (X INTEGER) RETURNS INTEGER; -- header line comment
END -- header ends
^
CREATE PACKAGE BODY PK_TEXTS AS
BEGIN
  FUNCTION HALF (X INTEGER) RETURNS INTEGER AS
  BEGIN
    RETURN X / 2; -- integer division
  END
END -- body ends
^
CREATE TRIGGER ORDERS_BI FOR ORDERS BEFORE INSERT POSITION 0 AS
BEGIN
  IF (NEW.NOTE IS NULL) THEN NEW.NOTE = '/* none */'; -- default note
END -- trigger ends
^
CREATE TRIGGER TRG_DDL_LOG ACTIVE ON CONNECT POSITION 0 AS
BEGIN
  IF (CURRENT_USER = 'NOBODY_AT_ALL') THEN
    INSERT INTO DDL_LOG (ID, WHO) VALUES (0, CURRENT_USER); -- never for real users
END -- on connect
^
SET TERM ; ^
COMMIT;

GRANT INSERT ON DDL_LOG TO TRIGGER TRG_DDL_LOG;
GRANT SELECT ON ORDERS TO PROCEDURE P_ORDER_TOTAL;
GRANT SELECT ON V_ORDERS TO PUBLIC;
COMMIT;

INSERT INTO ORDERS (ID, QTY, COST_TOTAL, COST_RETAIL, NOTE, LAST_NAME, FIRST_NAME, AMOUNT)
  VALUES (1, 2, 10.50, 12.75, 'first', _UTF8 'Иванов', _UTF8 'Иван', 3);
INSERT INTO ORDERS (ID, LAST_NAME, FIRST_NAME) VALUES (2, _UTF8 'Петров', _UTF8 'Пётр');
INSERT INTO ORDER_LINE VALUES (1, 1);
INSERT INTO ORDER_LINE VALUES (1, 2);
COMMIT;
