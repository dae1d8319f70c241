#include "app/common/engine_text.h"

#include <QCoreApplication>
#include <QVector>

#include <optional>

namespace pictray::ui {
namespace {

constexpr const char* kContext = "engine";

// The fixed pieces of the engine's texts. A piece that follows another in
// a message is a template of its own, so that the sequence translates piece
// by piece.
constexpr const char* kTemplates[] = {
    // Listing, the analyses and the classifications.
    QT_TRANSLATE_NOOP("engine", "Listup終了"),
    QT_TRANSLATE_NOOP("engine", "フォルダを読めません: %1 (%2)"),
    QT_TRANSLATE_NOOP("engine", "キャラクタセット処理終了"),
    QT_TRANSLATE_NOOP("engine", "定形句セット処理終了"),
    QT_TRANSLATE_NOOP("engine", "拡張子セット処理終了"),
    QT_TRANSLATE_NOOP("engine", "セット処理中止"),
    QT_TRANSLATE_NOOP("engine", "セット処理終了"),
    QT_TRANSLATE_NOOP("engine", "SIZE解析処理中止"),
    QT_TRANSLATE_NOOP("engine", "SIZE解析処理終了"),
    QT_TRANSLATE_NOOP("engine", "NG解析処理中止"),
    QT_TRANSLATE_NOOP("engine", "NG解析処理終了"),
    QT_TRANSLATE_NOOP("engine", "ＲＧＢ解析処理終了"),
    QT_TRANSLATE_NOOP("engine", "PGB比率解析処理終了"),
    QT_TRANSLATE_NOOP("engine", "PGB比率解析処理中止"),
    QT_TRANSLATE_NOOP("engine", "解析処理終了"),
    QT_TRANSLATE_NOOP("engine", "RGB成分強度解析処理中止"),
    QT_TRANSLATE_NOOP("engine", "全て同じ値がセットされました。値をクリアしますか？"),
    QT_TRANSLATE_NOOP("engine", "AllRGB解析処理終了"),
    QT_TRANSLATE_NOOP("engine", "処理終了"),
    QT_TRANSLATE_NOOP("engine", "解析処理中止"),
    QT_TRANSLATE_NOOP("engine", "作業ファイルを削除できません: %1 (%2)"),
    QT_TRANSLATE_NOOP("engine", "選択は[%1]色以下にして下さい。(%2)"),
    // The move.
    QT_TRANSLATE_NOOP("engine", "移動処理終了"),
    QT_TRANSLATE_NOOP("engine", ": %1件は移動せず元の場所に残しました（"),
    QT_TRANSLATE_NOOP("engine", "移動元フォルダを開けない %1件"),
    QT_TRANSLATE_NOOP("engine", "フォルダ名に使えない移動先 %1件"),
    QT_TRANSLATE_NOOP("engine", "移動先がフォルダでない %1件"),
    QT_TRANSLATE_NOOP("engine", "フォルダを作成できない %1件"),
    QT_TRANSLATE_NOOP("engine", "移動先に同名の別ファイルあり %1件"),
    QT_TRANSLATE_NOOP("engine", "ファイルが見つからない %1件"),
    QT_TRANSLATE_NOOP("engine", "移動中にファイルが変更された %1件"),
    QT_TRANSLATE_NOOP("engine", "移動できない %1件"),
    QT_TRANSLATE_NOOP("engine", "移動の記録を書けない %1件"),
    QT_TRANSLATE_NOOP("engine", "、"),
    QT_TRANSLATE_NOOP("engine", "）"),
    QT_TRANSLATE_NOOP("engine", "1-1-1フォルダが存在します別の名前で移動しますか"),
    QT_TRANSLATE_NOOP("engine", "このフォルダでは別の移動処理が実行中です。終わってからやり直してください"),
    QT_TRANSLATE_NOOP("engine", "このフォルダでは別の移動処理が実行中です。終わってからやり直してください: %1"),
    QT_TRANSLATE_NOOP("engine", ": 移動の記録を書けないため止めました: %1 (%2)"),
    QT_TRANSLATE_NOOP("engine", "移動の記録を作成できないため移動しません: %1 (%2)"),
    // The undo of a move or an extraction.
    QT_TRANSLATE_NOOP("engine", "元に戻せる移動はありません: %1"),
    QT_TRANSLATE_NOOP("engine", "元に戻せる移動はありません: "),  // no folder in the field
    QT_TRANSLATE_NOOP("engine", "元に戻せる抽出はありません"),
    QT_TRANSLATE_NOOP("engine", "移動を元に戻せません: %1 (%2)"),
    QT_TRANSLATE_NOOP("engine", "元に戻しました: %1件"),
    QT_TRANSLATE_NOOP("engine", "（中止しました）"),
    QT_TRANSLATE_NOOP("engine", "\n記録を書けないため止めました: %1 (%2)"),
    QT_TRANSLATE_NOOP("engine", "\n%1件は戻さずに残しました:"),
    QT_TRANSLATE_NOOP("engine", "\n%1 -> %2: "),
    QT_TRANSLATE_NOOP("engine", "\n%1: "),
    QT_TRANSLATE_NOOP("engine", "元の名前が別のファイルで使われている"),
    QT_TRANSLATE_NOOP("engine", "移動のあとで変更された"),
    QT_TRANSLATE_NOOP("engine", "移動先に見つからない"),
    QT_TRANSLATE_NOOP("engine", "記録の名前がフォルダの外を指すため扱わない"),
    QT_TRANSLATE_NOOP("engine", "フォルダに他のファイルがある"),
    QT_TRANSLATE_NOOP("engine", "戻せない"),
    QT_TRANSLATE_NOOP("engine", " (%1)"),
    // Twinscan.
    QT_TRANSLATE_NOOP("engine", "処理中止"),
    QT_TRANSLATE_NOOP("engine", "フォルダを開けません: %1"),
    QT_TRANSLATE_NOOP("engine", "抽出しました"),
    QT_TRANSLATE_NOOP("engine", "抽出ファイルはありません"),
    QT_TRANSLATE_NOOP("engine", "抽出ファイル無し"),
    QT_TRANSLATE_NOOP("engine", "[%1] フォルダを作成して抽出"),
    QT_TRANSLATE_NOOP("engine", "（内容が一致しない・変更された%1件は残しました）"),
    QT_TRANSLATE_NOOP("engine", "（移動できなかった%1件）"),
    QT_TRANSLATE_NOOP("engine", "抽出フォルダの削除を実行しますか？"),
    QT_TRANSLATE_NOOP("engine", "(%1)抽出ファイルの削除を実行しました"),
    QT_TRANSLATE_NOOP("engine", "抽出フォルダを削除できませんでした: %1"),
    QT_TRANSLATE_NOOP("engine", "抽出フォルダを削除しません"),
    QT_TRANSLATE_NOOP("engine", "／抽出したファイル以外のものがあります（%1件）: %2"),
    QT_TRANSLATE_NOOP("engine", "／抽出後に変更されたファイルがあります（%1件）: %2"),
    QT_TRANSLATE_NOOP("engine", "／残したファイルと内容が一致しなくなったファイルがあります（%1件）: %2"),
    QT_TRANSLATE_NOOP("engine", "／調べられないものがあります（%1件）: %2"),
    QT_TRANSLATE_NOOP("engine", "抽出の記録を作成できないため抽出しません: %1 (%2)"),
    QT_TRANSLATE_NOOP("engine", "抽出の記録を書けないため止めました: %1 (%2)"),
    // Templates that begin with what the engine puts in come last, so that
    // the texts the others cut are never taken for a name.
    QT_TRANSLATE_NOOP("engine", "%1の移動（%2件）を元に戻しますか？"),
    QT_TRANSLATE_NOOP("engine", "%1の抽出（%2件）を元に戻しますか？"),
};

// Button captions (whole texts only).
constexpr const char* kCaptions[] = {
    QT_TRANSLATE_NOOP("engine", "yes"),      QT_TRANSLATE_NOOP("engine", "err"),
    QT_TRANSLATE_NOOP("engine", "OK"),       QT_TRANSLATE_NOOP("engine", "NO"),
    QT_TRANSLATE_NOOP("engine", "クリアする"), QT_TRANSLATE_NOOP("engine", "しない"),
    QT_TRANSLATE_NOOP("engine", "削除する"),   QT_TRANSLATE_NOOP("engine", "プログラム終了"),
    QT_TRANSLATE_NOOP("engine", "元に戻す"),   QT_TRANSLATE_NOOP("engine", "終了する"),
};

// A template cut at its markers: fixed[0] %n[0] fixed[1] ... fixed[k].
struct Pattern {
  const char* source;
  QStringList fixed;
};

QVector<Pattern> MakePatterns() {
  QVector<Pattern> patterns;
  for (const char* t : kTemplates) {
    Pattern p{t, {}};
    const QString text = QString::fromUtf8(t);
    int from = 0;
    for (int i = text.indexOf('%'); i >= 0; i = text.indexOf('%', i + 1)) {
      if (i + 1 >= text.size() || !text[i + 1].isDigit()) continue;
      p.fixed << text.mid(from, i - from);
      from = i + 2;
      i = from - 1;
    }
    p.fixed << text.mid(from);
    patterns << p;
  }
  return patterns;
}

const QVector<Pattern>& Patterns() {
  static const QVector<Pattern> patterns = MakePatterns();
  return patterns;
}

// One template placed at a position of the text, with what its markers took.
struct Piece {
  int pattern;
  QStringList args;
};

// Cuts text[pos..] into pieces; `dead` remembers the positions from which
// no cut exists.
class Cutter {
 public:
  explicit Cutter(const QString& text) : text_(text), dead_(text.size() + 1, false) {}

  std::optional<QVector<Piece>> CutFrom(int pos) {
    if (pos == text_.size()) return QVector<Piece>{};
    if (dead_[pos]) return std::nullopt;
    for (int k = 0; k < Patterns().size(); ++k) {
      QStringList args;
      if (auto rest = Place(k, 0, pos, args)) return rest;
    }
    dead_[pos] = true;
    return std::nullopt;
  }

 private:
  // Matches fixed part `f` of pattern `k` at `pos`, then its marker (if any)
  // and the rest of the pattern, then the rest of the text.
  std::optional<QVector<Piece>> Place(int k, int f, int pos, QStringList& args) {
    const QStringList& fixed = Patterns()[k].fixed;
    const QString& part = fixed[f];
    if (!QStringView(text_).sliced(pos).startsWith(part)) return std::nullopt;
    pos += part.size();
    if (f + 1 == fixed.size()) {  // every template has fixed text: pos moved on
      auto rest = CutFrom(pos);
      if (rest) rest->prepend(Piece{k, args});
      return rest;
    }
    // The marker takes the shortest text that lets everything after it fit,
    // never none: what the engine puts in is never empty, and a name that
    // ends in a fixed piece then stays whole when it is all that follows.
    for (int end = pos + 1; end <= text_.size(); ++end) {
      args << text_.mid(pos, end - pos);
      if (auto rest = Place(k, f + 1, end, args)) return rest;
      args.removeLast();
    }
    return std::nullopt;
  }

  const QString& text_;
  QVector<bool> dead_;
};

// `pattern` with %1..%9 replaced in one pass, so that a name holding "%2"
// stays as it is.
QString Fill(const QString& pattern, const QStringList& args) {
  QString out;
  for (int i = 0; i < pattern.size(); ++i) {
    const int n = i + 1 < pattern.size() ? pattern[i + 1].digitValue() : -1;
    if (pattern[i] == '%' && n >= 1 && n <= args.size()) {
      out += args[n - 1];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

QString EngineText(const QString& text) {
  if (text.isEmpty()) return text;
  Cutter cutter(text);
  const std::optional<QVector<Piece>> pieces = cutter.CutFrom(0);
  if (!pieces) return text;
  QString out;
  for (const Piece& p : *pieces)
    out += Fill(QCoreApplication::translate(kContext, Patterns()[p.pattern].source), p.args);
  return out;
}

QString EngineCaption(const QString& caption) {
  const QByteArray utf8 = caption.toUtf8();
  for (const char* c : kCaptions)
    if (utf8 == c) return QCoreApplication::translate(kContext, c);
  return caption;
}

QStringList EngineTemplates() {
  QStringList all;
  for (const char* t : kTemplates) all << QString::fromUtf8(t);
  for (const char* c : kCaptions) all << QString::fromUtf8(c);
  return all;
}

}  // namespace pictray::ui
