// The serial line to an indicator, on real pseudo-terminals: definitions, opening, frames
// arriving after the open, two ports at once, ports that cannot be opened or go away.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <functional>
#include <memory>
#include <string>

#include "app/SmWorkstation.h"
#include "platform/SmMessage.h"
#include "tests/common/SmTestMain.h"
#include "tests/weighing/FakeIndicator.h"
#include "weighing/SmMSComm.h"

namespace {

const std::string kStx = "\x02";

// Runs the event loop until `done` holds or five seconds have passed; answers `done()`.
bool WaitFor(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(5000);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return done();
}

// Lets the event loop run for a moment, so that bytes on the line reach the port.
void Settle() {
  const QDeadlineTimer deadline(100);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(MSComm, SetParamsTakesSevenFieldsOnly) {
  CMSComm comm;
  ASSERT_TRUE(comm.SetParams(2, "9600,N,8,1,12,1,1000"));
  EXPECT_EQ(comm.GetPort(), 2);
  EXPECT_EQ(comm.GetSettings(), "9600,N,8,1");
  EXPECT_EQ(comm.GetReceiveLength(), 12);
  EXPECT_EQ(comm.GetDecodeMode(), 1);
  EXPECT_EQ(comm.GetScaleFactor(), 1000);

  CMSComm unset;
  for (const char* bad : {"9600,N,8,1,12,1", "9600,N,8,1,12,1,1000,7", "", "9600,N,8,1,0,1,1000",
                          "9600,N,8,1,12,1,0", "9600,N,8,1,12,1,-5"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(unset.SetParams(3, bad));
    EXPECT_EQ(unset.GetPort(), 0);
    EXPECT_EQ(unset.GetSettings(), "");
  }
}

TEST(MSComm, ShowsFramesSentAfterTheOpenOnly) {
  struct Case {
    const char* name;
    std::string definition;
    std::string before;  // sent before the port is opened
    std::string after;
    QString shown;
  };
  const Case cases[] = {
      {"STX indicator", "9600,N,8,1,10,1,1", kStx + "+009999.0",
       kStx + "+001234.0" + kStx + "+001234.0" + kStx + "+001234.0", "1234.0"},
      {"binary indicator", "9600,N,8,1,7,5,1", std::string("\xCD\x09\x09\x09\x09\x09\x09", 7),
       std::string("\xCD\x00\x01\x82\x05\x00\x00", 7), "01.2500"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeIndicator indicator;
    ASSERT_FALSE(indicator.Name().empty());
    ASSERT_TRUE(WriteCommDevice("1", indicator.Name()));
    QLineEdit display;
    CMSComm comm;
    comm.SetTarget(&display);
    ASSERT_TRUE(comm.SetParams(1, c.definition));
    QStringList shown;
    QObject::connect(&comm, &CMSComm::WeightShown, [&](const QString& text) { shown << text; });
    ASSERT_TRUE(indicator.Send(c.before));
    Settle();
    SmResetMessages();
    ASSERT_TRUE(comm.OpenPort()) << CSmMessageService::Instance().LastText();
    EXPECT_TRUE(comm.GetPortOpen());
    ASSERT_TRUE(indicator.Send(c.after));
    EXPECT_TRUE(WaitFor([&] { return display.text() == c.shown; })) << display.text().toStdString();
    // Nothing sent before the open was ever shown.
    for (const QString& text : shown) EXPECT_EQ(text, c.shown);
    comm.SetPortOpen(false);
    EXPECT_FALSE(comm.GetPortOpen());
  }
}

TEST(MSComm, TwoPortsFillOnlyTheirOwnFields) {
  FakeIndicator first, second;
  ASSERT_TRUE(WriteCommDevice("1", first.Name()));
  ASSERT_TRUE(WriteCommDevice("2", second.Name()));
  QLineEdit display1, display2;
  CMSComm comm1, comm2;
  comm1.SetTarget(&display1);
  comm2.SetTarget(&display2);
  ASSERT_TRUE(comm1.SetParams(1, "9600,N,8,1,1,2,1"));
  ASSERT_TRUE(comm2.SetParams(2, "4800,N,8,2,1,3,1"));
  ASSERT_TRUE(comm1.OpenPort());
  ASSERT_TRUE(comm2.OpenPort()) << CSmMessageService::Instance().LastText();
  ASSERT_TRUE(first.Send(kStx + "+012000" + kStx));
  ASSERT_TRUE(second.Send("=0.00530=0.00530="));
  EXPECT_TRUE(WaitFor([&] { return display1.text() == "012000" && display2.text() == "03500.0"; }));
  Settle();
  EXPECT_EQ(display1.text(), QString("012000"));
  EXPECT_EQ(display2.text(), QString("03500.0"));
}

// An indicator on a pseudo-terminal whose frames come cut short and mixed with stray bytes: the
// display shows only the weights of whole frames, in order, and keeps the last one.
TEST(MSComm, CutFramesAndStrayBytesNeverReachTheDisplay) {
  struct Case {
    const char* name;
    std::string definition;
    std::string stream;
    QStringList shown;
  };
  const std::string binaryGood("\xCD\x00\x01\x82\x05\x00\x00", 7);
  const Case cases[] = {
      {"STX indicator",
       "9600,N,8,1,1,1,1",
       "xx" + kStx + "+001234.0" + kStx + "+0012" + kStx + "+00A234.0" + kStx + "+002345.0" + kStx +
           "+002345" + kStx,
       {"1234.0", "2345.0"}},
      {"reversed indicator",
       "9600,N,8,1,1,3,1",
       "=0.05210=0.052=0.05\r\n210=0.06310=0.0631=",
       {"01250.0", "01360.0"}},
      {"reversed indicator with its sign character",
       "9600,N,8,1,1,3,1",
       "=43.21000=43.21=43.2100-=43.21001=43.2100-0=0.07410=",
       {"00012.34", "-0012.34", "01470.0"}},
      {"raw frames",
       "9600,N,8,1,1,0,1",
       kStx + "001234" + kStx + "12a4" + kStx + " 5678\r\n" + kStx + "\x7f" + kStx,
       {"001234", "5678"}},
      {"binary indicator",
       "9600,N,8,1,7,5,1",
       binaryGood + std::string("\xCD\x00\x3A\x00\x00\x00\x00", 7) +
           std::string("\xCD\x0B\x00\x01\x02\x03\x04", 7),
       {"01.2500", "-01234"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeIndicator indicator;
    ASSERT_TRUE(WriteCommDevice("1", indicator.Name()));
    QLineEdit display;
    QStringList seen;
    QObject::connect(&display, &QLineEdit::textChanged, [&](const QString& text) { seen << text; });
    CMSComm comm;
    comm.SetTarget(&display);
    ASSERT_TRUE(comm.SetParams(1, c.definition));
    ASSERT_TRUE(comm.OpenPort()) << CSmMessageService::Instance().LastText();
    ASSERT_TRUE(indicator.Send(c.stream));
    EXPECT_TRUE(WaitFor([&] { return display.text() == c.shown.back(); }));
    Settle();
    EXPECT_EQ(seen, c.shown);
  }
}

TEST(MSComm, PortsThatCannotOpenSayWhyAndStayClosed) {
  FakeIndicator indicator;
  ASSERT_TRUE(WriteCommDevice("3", "/dev/no-such-indicator"));
  ASSERT_TRUE(WriteCommDevice("4", indicator.Name()));
  struct Case {
    const char* name;
    int port;
    std::string definition;
    std::string reasonPart;
  };
  const Case cases[] = {
      {"no such device", 3, "9600,N,8,1,12,1,1", "/dev/no-such-indicator"},
      {"unconfigured", 0, "", "未设置串口参数"},
      {"refused data bits", 4, "9600,N,9,1,12,1,1", "9600,N,9,1"},
      {"refused parity", 4, "9600,X,8,1,12,1,1", "9600,X,8,1"},
      {"refused baud rate", 4, "0,N,8,1,12,1,1", "0,N,8,1"},
      // A pseudo-terminal takes no parity bit: the system's own reason is shown.
      {"refused by the line", 4, "9600,E,7,1,12,1,1", "Invalid argument"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmResetMessages();
    CMSComm comm;
    if (c.port) {
      ASSERT_TRUE(comm.SetParams(c.port, c.definition));
    }
    EXPECT_FALSE(comm.OpenPort());
    EXPECT_FALSE(comm.GetPortOpen());
    const auto& shown = CSmMessageService::Instance().Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("无法打开串口" + std::to_string(c.port)), std::string::npos)
        << shown[0].text;
    EXPECT_NE(shown[0].text.find(c.reasonPart), std::string::npos) << shown[0].text;
  }
}

// A line one window of this program holds is refused to another, which is told which window
// holds it; once that window lets go, the line opens.
TEST(MSComm, ALineInUseIsRefusedNamingTheWindowThatHoldsIt) {
  FakeIndicator indicator;
  ASSERT_TRUE(WriteCommDevice("5", indicator.Name()));
  ASSERT_TRUE(WriteCommDevice("6", indicator.Name()));
  CMSComm owner, other;
  owner.SetHolderName("称毛重");
  ASSERT_TRUE(owner.SetParams(5, "9600,N,8,1,12,1,1"));
  ASSERT_TRUE(other.SetParams(6, "9600,N,8,1,12,1,1"));
  ASSERT_TRUE(owner.OpenPort());
  SmResetMessages();
  EXPECT_FALSE(other.OpenPort());
  EXPECT_FALSE(other.GetPortOpen());
  EXPECT_TRUE(owner.GetPortOpen());
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "无法打开串口6（" + indicator.Name() +
                "）：它正被本程序的“称毛重”窗口使用。\n本窗口不连接此串口，请在那个窗口读取重量，"
                "或关闭它后再打开本窗口。");
  owner.SetPortOpen(false);
  SmResetMessages();
  EXPECT_TRUE(other.OpenPort()) << CSmMessageService::Instance().LastText();
}

// A line another program has locked names that program and its process number; once that
// program has died (killed, its lock left behind) the line opens.
TEST(MSComm, ALineAnotherProgramHoldsNamesThatProgramUntilItHasDied) {
  FakeIndicator indicator;
  ASSERT_TRUE(WriteCommDevice("7", indicator.Name()));
  const std::string lock = CMSComm::LockFilePath(indicator.Name());
  if (lock.empty()) GTEST_SKIP() << "the platform keeps no lock files";
  QProcess holder;
  holder.start("sleep", {"30"});
  ASSERT_TRUE(holder.waitForStarted());
  {
    QFile file(QString::fromStdString(lock));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(holder.processId()) + "\nsleep\n" +
               QSysInfo::machineHostName().toUtf8() + "\n");
  }
  CMSComm reader;
  ASSERT_TRUE(reader.SetParams(7, "9600,N,8,1,12,1,1"));
  SmResetMessages();
  EXPECT_FALSE(reader.OpenPort());
  EXPECT_EQ(CSmMessageService::Instance().LastText(),
            "无法打开串口7（" + indicator.Name() + "）：它正被另一个程序“sleep”（进程号 " +
                std::to_string(holder.processId()) +
                "）使用。\n本窗口不连接此串口，请关闭那个程序后再打开本窗口。");
  holder.kill();
  holder.waitForFinished();
  ASSERT_TRUE(QFile::exists(QString::fromStdString(lock)));
  SmResetMessages();
  EXPECT_TRUE(reader.OpenPort()) << CSmMessageService::Instance().LastText();
  reader.SetPortOpen(false);
  QFile::remove(QString::fromStdString(lock));
}

TEST(MSComm, ALostPortEmptiesTheDisplayAndSaysWhichPort) {
  auto indicator = std::make_unique<FakeIndicator>();
  ASSERT_TRUE(WriteCommDevice("1", indicator->Name()));
  QLineEdit display;
  CMSComm comm;
  comm.SetTarget(&display);
  ASSERT_TRUE(comm.SetParams(1, "9600,N,8,1,1,1,1"));
  ASSERT_TRUE(comm.OpenPort());
  ASSERT_TRUE(indicator->Send(kStx + "+001234.0" + kStx));
  ASSERT_TRUE(WaitFor([&] { return display.text() == "1234.0"; }));
  SmResetMessages();
  int lost = 0;
  QObject::connect(&comm, &CMSComm::PortLost, [&](int port) { lost += port; });
  indicator.reset();  // the cable is pulled
  EXPECT_TRUE(WaitFor([&] { return lost == 1; }));
  EXPECT_EQ(display.text(), QString());
  EXPECT_FALSE(comm.GetPortOpen());
  EXPECT_NE(CSmMessageService::Instance().LastText().find("串口1"), std::string::npos);
}

}  // namespace
