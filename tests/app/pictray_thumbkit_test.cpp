// libthumbkit.so as the program loads it: by path, resolving MakeMinImage.
#include <QImage>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

#include "thumbkit/thumbkit.h"

class ThumbkitTest : public QObject {
  Q_OBJECT

  MakeMinImageFn MMI = nullptr;
  QLibrary lib{QString(PICTRAY_BIN_DIR) + "/libthumbkit.so"};

  static constexpr int kEdge = 75;
  static std::vector<std::uint32_t> Blank() { return std::vector<std::uint32_t>(kEdge * kEdge, 0); }
  static bool White(std::uint32_t p) { return (p & 0xffffff) == 0xffffff; }

 private slots:
  void initTestCase() {
    QVERIFY2(lib.load(), qPrintable(lib.errorString()));
    MMI = reinterpret_cast<MakeMinImageFn>(lib.resolve("MakeMinImage"));
    QVERIFY(MMI);
  }

  void widePictureIsReducedAndCentredOnWhite() {
    QTemporaryDir dir;
    QImage red(300, 150, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString path = dir.filePath("wide.png");
    QVERIFY(red.save(path));
    auto px = Blank();
    QCOMPARE(MMI(px.data(), kEdge * 4, path.toUtf8().constData(), kEdge, 0, ""), 0);
    // 300x150 becomes 75x37, centred: white bands above and below.
    QVERIFY(White(px[0]));
    QVERIFY(White(px[(kEdge - 1) * kEdge]));
    const std::uint32_t centre = px[(kEdge / 2) * kEdge + kEdge / 2];
    QCOMPARE(centre & 0xffffff, 0xff0000u);
  }

  void areaAveragingMixesFineDetail() {
    QTemporaryDir dir;
    QImage stripes(150, 150, QImage::Format_RGB32);
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 150; ++x) stripes.setPixel(x, y, x % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const QString path = dir.filePath("stripes.png");
    QVERIFY(stripes.save(path));
    auto px = Blank();
    QCOMPARE(MMI(px.data(), kEdge * 4, path.toUtf8().constData(), kEdge, 0, ""), 0);
    // Each target pixel covers one black and one white column: mid grey.
    const int grey = qRed(px[10 * kEdge + 10]);
    QVERIFY2(grey > 120 && grey < 135, qPrintable(QString::number(grey)));
  }

  void unreadableFileAnswersOneAndLeavesTheSquareWhite() {
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    for (const QString& p : {path, dir.filePath("missing.jpg")}) {
      auto px = Blank();
      QCOMPARE(MMI(px.data(), kEdge * 4, p.toUtf8().constData(), kEdge, 0, ""), 1);
      QVERIFY(White(px[0]) && White(px[kEdge * kEdge - 1]));
    }
  }
};

QTEST_MAIN(ThumbkitTest)
#include "pictray_thumbkit_test.moc"
