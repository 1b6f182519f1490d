// A render job seen from a window: its signals arrive on the UI thread.
#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <stdexcept>

#include "windows/MapJob.h"

using tarvelon::MapJob;
using tarvelon::Raster;
using tarvelon::RowProgress;

class MapJobTest : public QObject {
  Q_OBJECT

 private slots:
  void finishedRasterArrivesOnTheUiThreadWithProgress() {
    MapJob job([](const RowProgress& progress) {
      Raster raster(3, 200);
      for (int y = 0; y < 200; ++y) {
        raster.set(0, y, 10, 20, 30);
        if (!progress(y + 1, 200)) return Raster();
      }
      return raster;
    });
    QThread* ui = QThread::currentThread();
    QThread* finishedOn = nullptr;
    int width = 0;
    int height = 0;
    connect(&job, &MapJob::finished, this, [&](const Raster& raster) {
      finishedOn = QThread::currentThread();
      width = raster.width;
      height = raster.height;
    });
    QSignalSpy progress(&job, &MapJob::progressed);
    QSignalSpy finished(&job, &MapJob::finished);
    job.start();
    QVERIFY(job.isActive());
    QVERIFY(finished.wait(5000));
    QCOMPARE(finishedOn, ui);
    QCOMPARE(width, 3);
    QCOMPARE(height, 200);
    QVERIFY(!job.isActive());
    // One signal a percent at most, the last one for the whole map.
    QVERIFY(progress.count() >= 1);
    QVERIFY(progress.count() <= 101);
    QCOMPARE(progress.last().at(0).toInt(), 200);
  }

  void cancelEndsWithCancelledAndFailureWithItsText() {
    std::atomic<bool> running{false};
    MapJob endless([&running](const RowProgress& progress) {
      running = true;
      for (int y = 0;; ++y) {
        QThread::msleep(1);
        if (!progress(y + 1, 1 << 30)) return Raster();
      }
    });
    QSignalSpy cancelled(&endless, &MapJob::cancelled);
    QSignalSpy finished(&endless, &MapJob::finished);
    endless.start();
    while (!running) QThread::yieldCurrentThread();
    endless.cancel();
    QVERIFY(cancelled.wait(5000));
    QCOMPARE(finished.count(), 0);

    MapJob broken([](const RowProgress&) -> Raster { throw std::runtime_error("The tile is short."); });
    QSignalSpy failed(&broken, &MapJob::failed);
    broken.start();
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.first().at(0).toString(), QString("The tile is short."));
  }

  void aJobDeletedWhileDrawingSendsNothingMore() {
    int sent = 0;
    std::atomic<bool> running{false};
    {
      MapJob job([&running](const RowProgress& progress) {
        running = true;
        for (int y = 0;; ++y) {
          QThread::msleep(1);
          if (!progress(y + 1, 1 << 30)) return Raster();
        }
      });
      connect(&job, &MapJob::cancelled, this, [&] { ++sent; });
      connect(&job, &MapJob::finished, this, [&] { ++sent; });
      job.start();
      while (!running) QThread::yieldCurrentThread();
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(sent, 0);
  }
};

QTEST_GUILESS_MAIN(MapJobTest)
#include "test_map_job.moc"
