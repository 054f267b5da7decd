// The texts of the window, and the failure texts that the command line
// prints too, in Japanese. They are the program's own words and stay byte
// for byte as they are; a translation of the window comes from a catalog
// (docs/decisions.md, "Texts"), never from editing these.
#pragma once

#include "texts/text_table.h"

inline constexpr TextEntry kJapaneseTexts[] = {
    {TextId::ProductName, "Zoruna"},
    {TextId::ListingFailure, "ﾃﾞｨﾚｸﾄﾘ \"%1$s\" の参照に失敗しました。\n\"%2$s\" との比較は行いません。"},
    {TextId::CopyFailure, "%1$sのコピーに失敗しました。\n"},
    {TextId::OmittedNotice,
     "差分が多すぎるため、最初の %1$d 件だけを表示しています（残り %2$d 件）。"
     "コピーしてから比較し直すと、残りが表示されます。"},

    {TextId::MainTitleWithCount, "%1$s - %2$d 件"},
    {TextId::AboutTitle, "Zoruna［ﾊﾞｰｼﾞｮﾝ情報］"},
    {TextId::PairListTitle, "Zoruna［比較ﾃﾞｨﾚｸﾄﾘ一覧］"},
    {TextId::PairInputTitle, "Zoruna［ﾃﾞｨﾚｸﾄﾘ入力］"},
    {TextId::ConfirmCopyTitle, "Zoruna［ほんとにいいの？］"},
    {TextId::MaskTitle, "Zoruna[ﾏｽｸ]"},
    {TextId::CopyProgressTitle, "Zoruna[ｺﾋﾟｰ中]"},
    {TextId::CompareProgressTitle, "Zoruna[比較中]"},

    {TextId::OkButton, "OK"},
    {TextId::CancelButton, "ｷｬﾝｾﾙ"},
    {TextId::QuitButton, "終了"},
    {TextId::SecretButton, "秘密"},
    {TextId::CompareButton, "比較"},
    {TextId::PairsButton, "ﾃﾞｨﾚｸﾄﾘ"},
    {TextId::CloseButton, "閉じる"},
    {TextId::RegisterButton, "登録"},
    {TextId::DeleteButton, "削除"},
    {TextId::BrowseButton, "参照..."},
    {TextId::MaskButton, "MASK"},
    {TextId::StopButton, "中止"},
    {TextId::SubdirsCheck, "サブディレクトリも比較する"},
    {TextId::DirALabel, "比較ﾃﾞｨﾚｸﾄﾘＡ:"},
    {TextId::DirBLabel, "比較ﾃﾞｨﾚｸﾄﾘＢ:"},
    {TextId::MaskLabel, "比較対照外とするﾌｧｲﾙの拡張子"},
    {TextId::ConfirmCopyQuestion, "指定されたﾌｧｲﾙのｺﾋﾟｰを行います。後悔しませんね。"},
    {TextId::CopyingMessage, "ただいまコピー中です。少々お待ちください。"},
    {TextId::ComparingMessage, "ただいま比較中です。少々お待ちください。"},
    {TextId::FileNameColumn, "ﾌｧｲﾙ名"},
    {TextId::TimeAColumn, "更新日付Ａ"},
    {TextId::TimeBColumn, "更新日付Ｂ"},

    {TextId::SelectAllItem, "全選択(&A)"},
    {TextId::CopySelectedItem, "選択ﾌｧｲﾙｺﾋﾟｰ(&C)"},
    {TextId::AboutItem, "ﾊﾞｰｼﾞｮﾝ情報(zoruna) (&A)..."},

    {TextId::PairLine, "%1$s %2$s と %3$s"},
    {TextId::RowPathsOneLine, "%1$s A: %2$s   B: %3$s"},
    {TextId::RowPathsTwoLines, "%1$s A: %2$s\n%1$s B: %3$s"},
    {TextId::CopyFileLine, "%1$sを"},
    {TextId::CopyFromLine, "%1$sから"},
    {TextId::CopyToLine, "%1$sへ"},
    {TextId::CopyFailureTarget, "ｺﾋﾟｰ先: %1$s"},
    {TextId::ListingCountLine, "ﾌｫﾙﾀﾞ: %1$d   ﾌｧｲﾙ: %2$d"},
    {TextId::StoppedTitle, "%1$s (比較中止)"},
    {TextId::StoppedStatus, "比較を中止しました。一覧は中止までに見つかった違いだけです。"},
    {TextId::NothingDiffersStatus, "違いはありません。すべて同じです（%1$s に比較）。"},
    {TextId::BrowseAName, "比較ﾃﾞｨﾚｸﾄﾘＡを参照"},
    {TextId::BrowseBName, "比較ﾃﾞｨﾚｸﾄﾘＢを参照"},
    {TextId::NoPairsStatus, "比較するﾃﾞｨﾚｸﾄﾘがありません。「ﾃﾞｨﾚｸﾄﾘ」→「登録」で登録してください。"},

    {TextId::SecretMessage, "まだ秘密です。"},
    {TextId::SaveFailed, "設定ﾌｧｲﾙ \"%1$s\" に保存できませんでした。\n変更したﾃﾞｨﾚｸﾄﾘの設定は保存されていません。"},
    {TextId::CreateSettingsQuestion,
     "設定ﾌｧｲﾙ \"%1$s\" がﾌｫﾙﾀﾞ \"%2$s\" にありません。\n"
     "このﾌｫﾙﾀﾞに作成して、変更したﾃﾞｨﾚｸﾄﾘの設定を保存しますか?"},
    {TextId::BrowseTitle, "ﾃﾞｨﾚｸﾄﾘを指定して下さい。"},
    {TextId::DirMissing, "ﾃﾞｨﾚｸﾄﾘ名が未入力です。"},
    {TextId::DirSame, "ﾃﾞｨﾚｸﾄﾘ名が同一です。\n違うﾃﾞｨﾚｸﾄﾘを入力して下さい。"},
    {TextId::DirLineBreak, "ﾃﾞｨﾚｸﾄﾘ名に改行は使えません。"},
    {TextId::DirTooLong, "ﾃﾞｨﾚｸﾄﾘ名が長すぎます。\n%1$dﾊﾞｲﾄ以内で入力して下さい。"},
    {TextId::MaskTooLong, "ﾏｽｸが長すぎます。\n1つのﾏｽｸは%1$dﾊﾞｲﾄ以内で入力して下さい。"},
    {TextId::MaskListTooLong, "ﾏｽｸの合計が長すぎます。\nｶﾝﾏを含めて%1$dﾊﾞｲﾄ以内で入力して下さい。"},
    {TextId::MaskLineBreak, "ﾏｽｸに改行は使えません。"},
    {TextId::CompareStopped, "比較を中止しました。\n一覧には中止までに見つかった違いだけを表示しています。"},
    {TextId::CompareError, "比較できませんでした。一覧は空になっています。\n%1$s"},
    {TextId::CopyError, "コピーを最後まで行えませんでした。\n%1$s"},
};
