CREATE OR REPLACE LIBRARY crc_lib AS '/u01/app/oracle/ext/libcrc.so';
/
-- CRC-32 of a RAW, computed by the C library.
CREATE OR REPLACE FUNCTION crc32 (p_data IN RAW) RETURN BINARY_INTEGER
AS LANGUAGE C
   LIBRARY crc_lib
   NAME "crc32_raw"
   PARAMETERS (p_data RAW, p_data LENGTH INT, RETURN INT);
/
CREATE OR REPLACE PROCEDURE compress_block (
    p_in  IN  RAW,
    p_out OUT RAW
) AS LANGUAGE C
   NAME "compress_block"
   LIBRARY crc_lib
   WITH CONTEXT
   PARAMETERS (CONTEXT, p_in RAW, p_in LENGTH SB4, p_out RAW, p_out LENGTH SB4, p_out MAXLEN SB4);
/
CREATE OR REPLACE FUNCTION block_ok (p_data IN RAW, p_expected IN BINARY_INTEGER) RETURN BOOLEAN IS
BEGIN
    RETURN crc32(p_data) = p_expected;
END block_ok;
/
