// The message catalogue. This file is compiled with -fexec-charset=CP932: the literals below
// become the Shift_JIS bytes the program writes, whatever the platform.
#include "runtime/msgCatalog.h"

const char szErrorPrefix[] = "Error -";
const char szWarningPrefix[] = "Warning -";

const char szMsgTrail[] = "関数 %s が異常終了しました。(%s-%d)\n";
const char szMsgAbend[] = "異常終了しました。(%s-%d)                   \n";
const char szMsgNormalEnd[] = "正常終了しました。                          \n";
const char szMsgBanner[] = "%s%s version %s\n%s\n";
const char szMsgUsage[] =
    "Usage: \nquorva \n\t[-h|--help] \n\t[-ixx|--indent_width=xx] \n\t[-cxx|--num_comma=xx] \n"
    "\t[-sxx|--part_size=xx] \n\t[-r|--recurently] \n\t[-o|--stdio] \n\t[-j[xx]|--join_at[=xx]] \n"
    "\t[[ディレクトリ名|ファイル名]...] \n\n";
const char szMsgUnsupported[] = "%s オプション:'%s' はサポートされていません。\n";

const char szMsgSumDirs[] = "%s 個のディレクトリを参照しました。\n";
const char szMsgSumFiles[] = "%s 個のファイルを整形しました。";
const char szMsgSumIn[] = "(I: %s Bytes/";
const char szMsgSumOut[] = " O: %s Bytes)";
const char szMsgSumStmts[] = "%s 個の文を整形しました。\n";
const char szMsgElapsed[] = "所要時間は %s ミリ秒でした。\n";

const char szMsgNoMem[] = "%s メモリの取得に失敗しました。\n";
const char szMsgOpen[] = "%s ファイルのオープンに失敗しました。%s:%s%s";
const char szMsgSearch[] = "Error - ファイルの検索に失敗しました。%s:(errno == %d) %s%s";
const char szMsgWrite[] = "%s ファイルへの書込みに失敗しました。%s:%s%s";
const char szMsgUnlink[] = "Error - ファイルを削除できませんでした。%s:%s%s";
const char szMsgNameLen[] =
    "Error - ファイル名が長すぎます。現在の長さは %d です。半角文字 %d 字以内で指定して下さい。%s\n";
const char szMsgReadOnly[] = "Error - パス名に読み出し専用ファイルを指定しました。%s:%s%s";
const char szMsgNotFound[] = "Error - ファイル名またはパス名が見つかりませんでした。%s:%s%s";
const char szMsgDirLen[] = "ディレクトリ名の長さが最大長を超えました。%d\n";
const char szMsgFileLen[] = "ファイル名の長さが最大長を超えました。%d\n";
const char szMsgWin32[] = "%s Win32API の実行に失敗しました。Code=0x%x, Msg=%s";
const char szMsgFindFirst[] = "Error - FindFirstFile() でエラーが発生しました。%s \n";
const char szMsgNoCounter[] = "%s 高分解能パフォーマンスカウンタは実装されていません。\n";
const char szMsgUnpaired[] = "%s 呼び出しが %s と対になっていません。Term=%u Tid=%u Cnt=%u \n";
const char szMsgNegElaps[] =
    "%s 経過時間の計算結果がマイナスです。Term=%u Tid=%u Cnt=%u 計算結果=%08x:%08x \n";
const char szMsgMaxPass[] = "%s rcTmStart(%d) の通過回数が最大値 %s を超えました 。\n";
const char szMsgStopFirst[] = "%s rcTmStop(%u) よりも後に呼び出してください。\n";
const char szMsgSysErr[] = "%s\n";
const char szMsgNotCmt[] = "Error - コメント開始の文字列ではありません。\n";
const char szMsgOverrun[] = "Error - バッファ領域のオーバー・ランが発生しました。\n";
const char szMsgBufHead[] = "関数に渡されたバッファ領域の先端部：\n%s\n";
const char szMsgOverrunPtr[] =
    "Error - バッファ領域のオーバー・ランが発生しました。\nszTail = 0x%016llX, szSrc = 0x%016llX iExceedLen = %d \n";
const char szMsgOverrunSrc[] =
    "Error - 整形前バッファ領域のオーバー・ランが発生しました。\nszTail = 0x%016llX, szSrc= 0x%016llX iExceedLen = %d \n";
const char szMsgOverrunDst[] =
    "Error - 整形後バッファ領域のオーバー・ランが発生しました。\n(*szStmtFmt + iDstLen) = 0x%016llX, szDst = 0x%016llX "
    "iExceedLen = %d \n";
const char szMsgMaxIdt[] = "Error - 字下げ量の最大値（= %d）を超えました。\n";
const char szMsgNoOpenParen[] = "Error - 対応する開き括弧がありません。iIdt = %d, iOrgIdt = %d\n";
const char szMsgNoCloseParen[] = "Error - 対応する閉じ括弧がありません。iIdt = %d, iOrgIdt = %d\n";
const char szMsgDumpHead[] = "ssSrc の前方 %d バイトから後方 %d バイトまでをダンプします。\n";
const char szMsgDumpBefore[] = "前方 %d バイト：\n%s\n";
const char szMsgDumpAfter[] = "後方 %d バイト：\n%s\n";
