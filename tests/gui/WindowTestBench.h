#pragma once
// The window on fakes and the in-process simulated mouse, as the page tests build it: a program
// folder with ui.local and config.ini, a fresh store and data module, and one window at a time.

#include <QCoreApplication>
#include <QPushButton>
#include <QtTest>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "SimulatedMouse.h"
#include "mainwindow/MainConfig.h"
#include "platform/fake/FakeDeviceNotifications.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystemMouseSettings.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/FakeWindowMessaging.h"
#include "platform/fake/ManualScheduler.h"

namespace q9::test {

class WindowTestBench {
 protected:
  void SetUpBench() {
    folder_ = std::make_unique<QTemporaryDir>();
    const std::filesystem::path folder = folder_->path().toStdString();
    const std::filesystem::path data = Q9_SOURCE_DATA;
    std::filesystem::copy_file(data / "ui.local", folder / "ui.local");
    std::filesystem::copy_file(data / "config.ini", folder / "config.ini");
    store_ = std::make_unique<FakeRegistryStore>();
    locale_ = std::make_unique<FakeSystemLocale>();
    dm_ = CreateDataModule(*store_, *locale_);
    scheduler_ = std::make_unique<ManualScheduler>();
    mouse_ = std::make_unique<SimulatedMouse>();
    transport_ = std::make_unique<SimulatedDriverTransport>(*mouse_);
    messaging_ = std::make_unique<FakeWindowMessaging>();
    shell_ = std::make_unique<FakeShell>();
    notifications_ = std::make_unique<FakeDeviceNotifications>();
  }

  void TearDownBench() {
    window_.reset();
    dm_.reset();
  }

  /// The system's pointer settings every window of the bench changes; Clear() it in a test's set-up.
  FakeSystemMouseSettings mouseSettings_;

  /// A new window (the old one goes) showing page `page`; pauses only let events run.
  TqvGMConfigMain& OpenWindow(int page) {
    MainWindowServices services{*dm_,     *scheduler_, *transport_, *messaging_, *shell_, *locale_,
                                folder_->path().toStdString(), notifications_.get(), {}, {}};
    services.mouseSettings = &mouseSettings_;
    services.pause = [](int) { QCoreApplication::processEvents(); };
    services.terminate = [] {};
    window_ = std::make_unique<TqvGMConfigMain>(std::move(services));
    window_->SelectPage(page);
    return *window_;
  }

  /// The window's widget of that object name; the test ends when there is none.
  template <class T>
  T* Find(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    if (!widget) {
      // A control of a page not shown yet: the page is built as when the user first opens it.
      for (int page = 0; page < TqvGMConfigMain::kPageCount; ++page) window_->EnsurePageBuilt(page);
      widget = window_->findChild<T*>(QString::fromLatin1(name));
    }
    if (!widget) qFatal("no widget %s", name);
    return widget;
  }
  void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }

  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<FakeRegistryStore> store_;
  std::unique_ptr<FakeSystemLocale> locale_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<ManualScheduler> scheduler_;
  std::unique_ptr<SimulatedMouse> mouse_;
  std::unique_ptr<SimulatedDriverTransport> transport_;
  std::unique_ptr<FakeWindowMessaging> messaging_;
  std::unique_ptr<FakeShell> shell_;
  std::unique_ptr<FakeDeviceNotifications> notifications_;
  std::unique_ptr<TqvGMConfigMain> window_;
};

}  // namespace q9::test
