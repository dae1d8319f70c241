// What the language tests of both programs share: the English translations
// of the build for one test, what a widget tree shows, and whether a text
// holds Japanese; the check of a translation file.
#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTranslator>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QtTest>

#include "app/common/language.h"

// Kana, CJK punctuation and ideographs, full-width forms: what an English
// text must not hold.
inline bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
  }
  return false;
}

// The English translations `names` of the build, for one test.
class English {
 public:
  explicit English(const QStringList& names) {
    QString error;
    ok = pictray::ui::InstallTranslations(*qApp, pictray::ui::Language::English, PICTRAY_BIN_DIR "/translations", names,
                                          &error);
  }
  ~English() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(t);
      delete t;
    }
  }
  bool ok = false;
};

// Every text a widget tree shows: titles, tips, button, label and group
// texts, actions (menus included) and the headers of tables and trees.
inline QStringList ShownTexts(QWidget* top) {
  QStringList texts;
  QList<QWidget*> widgets = top->findChildren<QWidget*>();
  widgets << top;
  for (QWidget* w : widgets) {
    texts << w->windowTitle() << w->toolTip() << w->statusTip() << w->whatsThis() << w->accessibleName();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
    if (auto* t = qobject_cast<QTreeWidget*>(w))
      for (int c = 0; c < t->columnCount(); ++c) texts << t->headerItem()->text(c);
    else if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model())
      for (int c = 0; c < v->model()->columnCount(); ++c)
        texts << v->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  for (QAction* a : top->findChildren<QAction*>()) texts << a->text() << a->toolTip();
  texts.removeAll(QString());
  return texts;
}

// The buttons and lists a screen reader would have no name for, by object
// name. A list's own parts (headers, corner button) are the list's.
inline QStringList UnnamedControls(QWidget* top) {
  QStringList unnamed;
  for (QWidget* c : top->findChildren<QWidget*>()) {
    if (!qobject_cast<QAbstractButton*>(c) && !qobject_cast<QAbstractItemView*>(c)) continue;
    if (!c->isVisibleTo(top)) continue;
    bool part = false;
    for (QWidget* p = c->parentWidget(); p && !part; p = p->parentWidget()) part = qobject_cast<QAbstractItemView*>(p);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
    if (!part && (!a || a->text(QAccessible::Name).trimmed().isEmpty())) unnamed << c->objectName();
  }
  return unnamed;
}

// Every text of the translation file `path` has an English translation in
// the translations loaded that holds no Japanese (a text added without one
// fails here), and so has every template of the engine's texts.
inline void VerifyEveryTranslationIsEnglish(const QString& path) {
  QFile ts(path);
  QVERIFY(ts.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&ts);
  QString context, comment;
  QByteArray source;
  int messages = 0;
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::EndElement && xml.name() == u"message") {
      const QString text =
          QCoreApplication::translate(context.toUtf8(), source, comment.isEmpty() ? nullptr : qPrintable(comment));
      QVERIFY2(!text.isEmpty() && !HasJapanese(text), source.constData());
      ++messages;
      comment.clear();
    }
    if (token != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"name") context = xml.readElementText();
    if (xml.name() == u"source") source = xml.readElementText().toUtf8();
    if (xml.name() == u"comment") comment = xml.readElementText();
  }
  QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
  QVERIFY(messages > 0);
}
