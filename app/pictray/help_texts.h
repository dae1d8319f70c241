// The help of the name patterns, shown beside the result list and on the
// field where the user types a pattern.
#pragma once

namespace pictray::app {

inline constexpr const char* kPatternHelp[] = {
    "キャラクタで選択: 全て(?),数字(#,%),アルファベット(*,$)を文字数を考慮して指定 (例)???abc##.jpg",
    "数字(#->#,%->元の数字に置換)",
    "アルファベット(*->*,$->元のアルファベットに置換)",
    "全て(?->元のまま)",
    "定型句で選択: 選びたい文字列(英数字)を指定",
};

}  // namespace pictray::app
