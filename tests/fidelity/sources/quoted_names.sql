-- charset: UTF8
-- page_size: 8192
-- An ORM-style database: mixed-case quoted identifiers everywhere, names that
-- are keywords, names holding a double quote, a single quote, spaces, '#',
-- commas and non-ASCII letters, and names that only differ by case.

CREATE DOMAIN "Money" AS NUMERIC(15,2) DEFAULT 0 CHECK (VALUE >= 0);
CREATE DOMAIN "Email Address" AS VARCHAR(120) CHARACTER SET UTF8 CHECK (VALUE CONTAINING '@');
CREATE DOMAIN "D""Quoted" AS VARCHAR(20) DEFAULT 'say "hi"';
CREATE DOMAIN "TYPE" AS SMALLINT NOT NULL CHECK (VALUE BETWEEN 0 AND 9);
CREATE DOMAIN "value" AS DOUBLE PRECISION;

CREATE SEQUENCE "Customer_Id_Seq";
CREATE SEQUENCE "order#seq";
ALTER SEQUENCE "order#seq" RESTART WITH 1000;
CREATE SEQUENCE "GEN ""X""";

CREATE EXCEPTION "Out Of Stock" 'Item is out of stock';
CREATE EXCEPTION "E""X" 'It''s a "quoted" exception';

CREATE ROLE "Sales Team";
CREATE ROLE "reader";
COMMIT;

CREATE TABLE "Customer" (
  "Id" INTEGER NOT NULL,
  "Name" VARCHAR(60) NOT NULL,
  "E-Mail" "Email Address",
  "value" "Money",
  "DATE" DATE DEFAULT CURRENT_DATE,
  "Größe" SMALLINT,
  CONSTRAINT "PK Customer" PRIMARY KEY ("Id"),
  CONSTRAINT "UQ ""Mail""" UNIQUE ("E-Mail")
);

-- differs from "Customer" only by case
CREATE TABLE "customer" (
  "id" INTEGER NOT NULL PRIMARY KEY,
  "name" VARCHAR(20)
);

CREATE TABLE "ORDER" (
  "KEY" INTEGER NOT NULL,
  "Customer Id" INTEGER NOT NULL,
  "USER" VARCHAR(31) DEFAULT CURRENT_USER,
  "TYPE" "TYPE" DEFAULT 1,
  "VALUE" "value",
  CONSTRAINT "PK ORDER" PRIMARY KEY ("KEY"),
  CONSTRAINT "FK ORDER->Customer" FOREIGN KEY ("Customer Id") REFERENCES "Customer" ("Id") ON DELETE CASCADE
);

CREATE TABLE "Order Items" (
  "Order Key" INTEGER NOT NULL,
  "Line No" SMALLINT NOT NULL,
  "Item" VARCHAR(40) NOT NULL,
  "Qty" INTEGER DEFAULT 1 NOT NULL,
  "Price" "Money",
  "Line Total" COMPUTED BY ("Qty" * "Price"),
  CONSTRAINT "PK Order Items" PRIMARY KEY ("Order Key", "Line No"),
  CONSTRAINT "FK_Order Items_ORDER" FOREIGN KEY ("Order Key") REFERENCES "ORDER" ("KEY") ON DELETE CASCADE ON UPDATE CASCADE,
  CONSTRAINT "CK Qty>0" CHECK ("Qty" > 0)
);

CREATE TABLE "PO#" (
  "PO#" INTEGER NOT NULL PRIMARY KEY,
  "Note" "D""Quoted"
);

CREATE TABLE "POSITION" (
  "POSITION" INTEGER NOT NULL,
  "value" VARCHAR(10),
  "VALUE" INTEGER,
  CONSTRAINT "POSITION pk" PRIMARY KEY ("POSITION")
);

CREATE TABLE "CS_Data2" (
  "cs_id" BIGINT NOT NULL,
  "Cs_Id" BIGINT,
  "CS_ID" BIGINT,
  CONSTRAINT "pk_cs_data2" PRIMARY KEY ("cs_id")
);

-- names built to break statements that paste identifiers without quoting
CREATE TABLE "T DROP C," (
  "C" INTEGER,
  "C, D" VARCHAR(10)
);
CREATE TABLE T (
  C INTEGER
);

CREATE TABLE "A""B" (
  "X""Y" INTEGER NOT NULL,
  "it's" VARCHAR(10),
  CONSTRAINT "PK A""B" PRIMARY KEY ("X""Y")
);

CREATE TABLE "O'Brien Notes" (
  "Note'Id" INTEGER NOT NULL PRIMARY KEY,
  "Text" VARCHAR(100)
);

CREATE TABLE "USER" (
  "USER" VARCHAR(31) NOT NULL PRIMARY KEY,
  "DATE" TIMESTAMP,
  "KEY" CHAR(4)
);
COMMIT;

CREATE INDEX "IX Customer Name" ON "Customer" ("Name");
CREATE DESCENDING INDEX "ix ""desc"" date" ON "Customer" ("DATE");
CREATE INDEX "ix_lower" ON "customer" COMPUTED BY (LOWER("name"));
CREATE UNIQUE INDEX "UX Order Items Item" ON "Order Items" ("Order Key", "Item");
CREATE INDEX "T DROP C, idx" ON "T DROP C," ("C");
CREATE INDEX "T_C" ON T (C);
COMMIT;

CREATE VIEW "Customer View" ("Customer Id", "Full Name", "value") AS
  SELECT c."Id", c."Name", c."value" FROM "Customer" c;

CREATE VIEW "v_order""s" AS
  SELECT o."KEY", o."USER", c."Full Name" AS "Customer Name", o."VALUE"
  FROM "ORDER" o JOIN "Customer View" c ON c."Customer Id" = o."Customer Id";

CREATE VIEW "T DROP C, view" AS SELECT "C" FROM "T DROP C,";
COMMIT;

SET TERM ^ ;

CREATE TRIGGER "Customer BI" FOR "Customer" ACTIVE BEFORE INSERT POSITION 0 AS
BEGIN
  IF (NEW."Id" IS NULL) THEN NEW."Id" = NEXT VALUE FOR "Customer_Id_Seq";
END^

CREATE TRIGGER "ORDER ""bi""" FOR "ORDER" ACTIVE BEFORE INSERT POSITION 5 AS
BEGIN
  IF (NEW."KEY" IS NULL) THEN NEW."KEY" = GEN_ID("order#seq", 1);
END^

CREATE TRIGGER "Order Items BU" FOR "Order Items" ACTIVE BEFORE UPDATE AS
BEGIN
  IF (NEW."Qty" > 1000) THEN EXCEPTION "Out Of Stock";
END^

CREATE PROCEDURE "Get Customer" ("Customer Id" INTEGER)
RETURNS ("Name" VARCHAR(60), "Order Count" INTEGER) AS
BEGIN
  FOR SELECT c."Name", (SELECT COUNT(*) FROM "ORDER" o WHERE o."Customer Id" = c."Id")
      FROM "Customer" c WHERE c."Id" = :"Customer Id"
      INTO :"Name", :"Order Count" DO
    SUSPEND;
END^

CREATE PROCEDURE "Add Item" ("Order" INTEGER, "Item" VARCHAR(40), "Qty" INTEGER = 1)
AS
DECLARE VARIABLE "Next Line" SMALLINT;
BEGIN
  IF ("Qty" > 1000) THEN EXCEPTION "E""X";
  SELECT COALESCE(MAX("Line No"), 0) + 1 FROM "Order Items" WHERE "Order Key" = :"Order"
    INTO :"Next Line";
  INSERT INTO "Order Items" ("Order Key", "Line No", "Item", "Qty", "Price")
    VALUES (:"Order", :"Next Line", :"Item", :"Qty", 1);
END^

CREATE PROCEDURE "T DROP C, proc" RETURNS (C INTEGER) AS
BEGIN
  FOR SELECT C FROM T INTO :C DO SUSPEND;
END^

SET TERM ; ^
COMMIT;

INSERT INTO "Customer" ("Name", "E-Mail", "value", "DATE", "Größe") VALUES ('Ada "the" Lovelace', 'ada@example.org', 120.50, '2020-01-31', 3);
INSERT INTO "Customer" ("Name", "E-Mail", "value", "DATE", "Größe") VALUES ('Bob O''Hara', 'bob@example.org', 0, '2021-06-15', NULL);
INSERT INTO "Customer" ("Name", "E-Mail", "value") VALUES ('Zoë Ünal', 'zoe@example.org', 9999.99);
INSERT INTO "Customer" ("Id", "Name", "E-Mail") VALUES (10, 'Explicit Key', NULL);
INSERT INTO "customer" VALUES (1, 'lower case twin');
INSERT INTO "customer" VALUES (2, NULL);

INSERT INTO "ORDER" ("Customer Id", "TYPE", "VALUE") VALUES (1, 2, 1.5e3);
INSERT INTO "ORDER" ("Customer Id", "USER", "TYPE", "VALUE") VALUES (1, 'someone else', 0, NULL);
INSERT INTO "ORDER" ("KEY", "Customer Id", "TYPE", "VALUE") VALUES (7, 2, 9, -0.25);
INSERT INTO "ORDER" ("Customer Id") VALUES (10);
COMMIT;

EXECUTE PROCEDURE "Add Item" (1001, 'Widget', 3);
EXECUTE PROCEDURE "Add Item" (1001, 'Gadget "XL"');
EXECUTE PROCEDURE "Add Item" (1002, 'Sprocket', 12);
EXECUTE PROCEDURE "Add Item" (7, 'Bolt, M6', 100);
INSERT INTO "Order Items" ("Order Key", "Line No", "Item", "Qty", "Price") VALUES (1003, 1, 'Nut''s', 5, 0.10);

INSERT INTO "PO#" ("PO#") VALUES (1);
INSERT INTO "PO#" VALUES (2, 'PO "two"');
INSERT INTO "PO#" VALUES (3, NULL);

INSERT INTO "POSITION" VALUES (1, 'first', 100);
INSERT INTO "POSITION" VALUES (2, NULL, -1);

INSERT INTO "CS_Data2" VALUES (1, 2, 3);
INSERT INTO "CS_Data2" VALUES (9223372036854775807, NULL, -9223372036854775808);

INSERT INTO "T DROP C," VALUES (1, 'a, b');
INSERT INTO "T DROP C," VALUES (2, NULL);
INSERT INTO T VALUES (10);
INSERT INTO T VALUES (20);
INSERT INTO T VALUES (NULL);

INSERT INTO "A""B" VALUES (1, 'it''s');
INSERT INTO "A""B" VALUES (2, '"q"');

INSERT INTO "O'Brien Notes" VALUES (1, 'Don''t drop me');
INSERT INTO "O'Brien Notes" VALUES (2, 'DROP TABLE T;');

INSERT INTO "USER" VALUES ('SYSDBA', '2000-01-01 12:00:00', 'KEY1');
INSERT INTO "USER" VALUES ('Mixed Case User', NULL, NULL);
COMMIT;

GRANT SELECT ON "Customer" TO ROLE "reader";
GRANT SELECT ON "Customer View" TO ROLE "reader";
GRANT SELECT, INSERT, UPDATE ON "ORDER" TO ROLE "Sales Team";
GRANT UPDATE ("Qty", "Price") ON "Order Items" TO ROLE "Sales Team";
GRANT EXECUTE ON PROCEDURE "Add Item" TO ROLE "Sales Team";
GRANT SELECT ON "T DROP C," TO PROCEDURE "T DROP C, proc";
GRANT SELECT ON T TO PROCEDURE "T DROP C, proc";
GRANT "reader" TO USER "Mixed Case User";
GRANT "Sales Team" TO USER "O'Brien" WITH ADMIN OPTION;
COMMIT;
