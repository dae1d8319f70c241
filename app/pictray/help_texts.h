// The help of the name patterns, shown beside the result list and on the
// field where the user types a pattern (translated where they are shown).
#pragma once

#include <QCoreApplication>

namespace pictray::app {

inline constexpr const char* kPatternHelp[] = {
    QT_TRANSLATE_NOOP("Pictray",
                      "キャラクタで選択: 全て(?),数字(#,%),アルファベット(*,$)を文字数を考慮して指定 (例)???abc##.jpg"),
    QT_TRANSLATE_NOOP("Pictray", "数字(#->#,%->元の数字に置換)"),
    QT_TRANSLATE_NOOP("Pictray", "アルファベット(*->*,$->元のアルファベットに置換)"),
    QT_TRANSLATE_NOOP("Pictray", "全て(?->元のまま)"),
    QT_TRANSLATE_NOOP("Pictray", "定型句で選択: 選びたい文字列(英数字)を指定"),
};

}  // namespace pictray::app
