REM ソース表の作成（Shift_JIS、行末 CR LF）
SET DEFINE OFF
PROMPT ソース表を作成します…

-- 表示ソ
/* ァィゥェォ と ゾ とポイント */
CREATE TABLE "ソース表" (
  "ソースID"   NUMBER(10)      NOT NULL,   -- 機能ID
  "名前"       VARCHAR2(100)   NOT NULL,   -- 表示名
  "ポイント"   NUMBER(5)       DEFAULT 0
);

COMMENT ON TABLE "ソース表" IS 'ソース表: 表示ソ';
COMMENT ON COLUMN "ソース表"."ポイント" IS 'ポ';

INSERT INTO "ソース表" ("ソースID", "名前", "ポイント")
VALUES (1, 'アイス' || 'ボタン' || 'マスタ', 10);

INSERT INTO "ソース表" ("ソースID", "名前", "ポイント")
VALUES (2, q'[ゾ' ]', 20);

INSERT INTO "ソース表" ("ソースID", "名前", "ポイント")
VALUES (3, q'{ボ}' || q'<ソ>' || 'ァ@ソ', 30);

SELECT "ソースID",
       "名前" || '：' || TO_CHAR("ポイント") AS "表示"
  FROM "ソース表"
 WHERE "名前" LIKE '%ソ%'
   AND "名前" <> 'ポ'
 ORDER BY "ソースID";

BEGIN
  -- 能力ソ
  DBMS_OUTPUT.PUT_LINE('件数ソ');
END;
/
