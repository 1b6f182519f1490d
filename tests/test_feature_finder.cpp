// Find a Feature on its own: typing narrows the rows of both lists, each
// row says what and where its feature is, the arrows choose while typing and
// Enter sends the menu feature or the IAU name chosen.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include "select/FeatureFinder.h"

using namespace tarvelon;

namespace {

// The texts of a row's columns.
QStringList rowTexts(FeatureFinder& finder, int row) {
  QStringList texts;
  const QAbstractItemModel* model = finder.list()->model();
  for (int column = 0; column < model->columnCount(); ++column) texts << model->index(row, column).data().toString();
  return texts;
}

int rowOf(FeatureFinder& finder, const QString& entry) { return static_cast<int>(finder.listed().indexOf(entry)); }

}  // namespace

class FeatureFinderTest : public QObject {
  Q_OBJECT

 private slots:
  void typingNarrowsBothListsAndEachRowSaysWhatAndWhere() {
    FeatureFinder finder;
    // Nothing typed: the menu in menu order, then every IAU name.
    const QStringList all = finder.listed();
    QCOMPARE(all.size(), 212 + 1903);
    QCOMPARE(all.front(), QStringLiteral("m_p000"));
    QCOMPARE(all.at(212), QStringLiteral("iau:4"));  // Abalos Colles
    QCOMPARE(all.filter(QStringLiteral("iau:")).size(), 1903);

    QTest::keyClicks(finder.nameEdit(), "GAL");
    const QStringList gal = finder.listed();
    QVERIFY(gal.size() < all.size());
    QVERIFY(gal.contains(QStringLiteral("m_c052")));
    QVERIFY(gal.contains(QStringLiteral("iau:2071")));
    QTest::keyClicks(finder.nameEdit(), "e");
    const QStringList gale = finder.listed();
    QVERIFY(gale.size() < gal.size());
    QCOMPARE(gale.mid(0, 2), (QStringList{"m_c052", "iau:2071"}));
    QCOMPARE(rowTexts(finder, 0), (QStringList{"Gale", "Individual Craters",
                                               QString::fromUtf8("long 136° to 140°, lat -3° to -7°"),
                                               "Map Area menu"}));
    QCOMPARE(rowTexts(finder, 1), (QStringList{"Gale", "crater, 154 km", QString::fromUtf8("5.37°S 137.81°E"),
                                               "IAU names"}));

    // Diacritics need not be typed; the name keeps them.
    finder.nameEdit()->setText(QStringLiteral("nordenskiold"));
    QCOMPARE(finder.listed().front(), QStringLiteral("iau:4332"));
    QCOMPARE(rowTexts(finder, 0).mid(0, 3), (QStringList{QString::fromUtf8("Nordenskiöld"), "crater, 86 km",
                                                          QString::fromUtf8("52.37°S 158.76°W")}));
    // A misspelling still finds it; an albedo feature has no size.
    finder.nameEdit()->setText(QStringLiteral("jezzero"));
    QCOMPARE(finder.listed().front(), QStringLiteral("iau:14300"));
    finder.nameEdit()->setText(QStringLiteral("aeolis"));
    QCOMPARE(rowTexts(finder, 0).mid(0, 3),
             (QStringList{"Aeolis", "albedo feature", QString::fromUtf8("4.94°S 145.00°E")}));
    finder.nameEdit()->setText(QStringLiteral("qqqqqqqqqqqq"));
    QVERIFY(finder.listed().isEmpty());
    QVERIFY(!finder.list()->currentIndex().isValid());
  }

  void theArrowsChooseWhileTypingAndEnterSendsTheRowChosen() {
    FeatureFinder finder;
    finder.showFinder();
    QVERIFY(QTest::qWaitForWindowExposed(&finder));
    QSignalSpy features(&finder, &FeatureFinder::featureChosen);
    QSignalSpy places(&finder, &FeatureFinder::placeChosen);

    // Aeolis, Aeolis Planum, Aeolis Mensae, ...: down twice, up once.
    QTest::keyClicks(finder.nameEdit(), "aeolis");
    QCOMPARE(finder.listed().mid(0, 3), (QStringList{"iau:65", "iau:14165", "iau:66"}));
    QCOMPARE(finder.list()->currentIndex().row(), 0);
    QTest::keyClick(finder.nameEdit(), Qt::Key_Down);
    QTest::keyClick(finder.nameEdit(), Qt::Key_Down);
    QTest::keyClick(finder.nameEdit(), Qt::Key_Up);
    QCOMPARE(finder.list()->currentIndex().row(), 1);
    QCOMPARE(finder.nameEdit()->text(), QStringLiteral("aeolis"));  // the typing goes on
    QTest::keyClick(finder.nameEdit(), Qt::Key_Return);
    QVERIFY(finder.isHidden());
    QCOMPARE(places.size(), 1);
    QCOMPARE(places.at(0).at(0).toInt(), 14165);
    QCOMPARE(features.size(), 0);

    // A menu row sends its component name.
    finder.showFinder();
    finder.nameEdit()->setText(QStringLiteral("olympus"));
    QTest::keyClick(finder.nameEdit(), Qt::Key_Down);
    QTest::keyClick(finder.nameEdit(), Qt::Key_Return);
    QCOMPARE(features.size(), 1);
    QCOMPARE(features.at(0).at(0).toString(), QStringLiteral("m_m012"));
    QCOMPARE(places.size(), 1);

    // Each new text starts again at its first row; Enter with no row sends
    // nothing and the finder stays.
    finder.showFinder();
    finder.nameEdit()->setText(QStringLiteral("jezero"));
    QCOMPARE(finder.list()->currentIndex().row(), rowOf(finder, QStringLiteral("iau:14300")));
    finder.nameEdit()->setText(QStringLiteral("qqqqqqqqqqqq"));
    QTest::keyClick(finder.nameEdit(), Qt::Key_Down);
    QTest::keyClick(finder.nameEdit(), Qt::Key_Return);
    QVERIFY(finder.isVisible());
    QCOMPARE(features.size() + places.size(), 2);
  }
};

QTEST_MAIN(FeatureFinderTest)
#include "test_feature_finder.moc"
