// The receive path fed arbitrary byte streams: the first byte picks what is waiting (nothing,
// a login, a settings, number list or history page, a delete) and the second how the rest is
// cut into chunks. The frame assembler alone must find the same frames however the bytes are
// cut; through the handler, transfers run their real chains and decoders. Nothing may crash
// or read out of bounds.
#include "history/history_inf.h"
#include "history/history_model.h"
#include "link/frame_assembler.h"
#include "link/link_session.h"
#include "numbers/numbers_model.h"
#include "numbers/telephone_send.h"
#include "settings/basic_inf.h"
#include "settings/settings_model.h"
#include "words/link_words.h"
#include "words/reporter.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace zc;

namespace {

class SilentReporter : public Reporter
{
public:
    void setStatus(const QString &) override {}
    void setStatusDirect(const QString &) override {}
    void setProgress(int) override {}
    void messageBox(const QString &) override {}
    void messageDialog(const QString &) override {}
    bool question(const QString &) override { return true; }
    bool warningOkCancel(const QString &) override { return true; }
};

struct World
{
    SilentReporter reporter;
    LinkWords words{reporter};
    LinkSession session{&words};
    SettingsModel settings;
    NumbersModel numbers;
    HistoryModel history;
    TBasicInf basic{settings};
    TtelephoneSend telephone{numbers};
    THistoryInf historyInf{history};
    World()
    {
        session.attach(basic);
        session.attach(telephone);
        session.attach(historyInf);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) return 0;
    static World *w = new World;
    w->session.abandonAll();
    switch (data[0] % 8) {
    case 0:
        break;
    case 1:
        w->session.login().Start(w->session.context(), [] { return QStringLiteral("1234"); });
        break;
    case 2:
        w->basic.Read();
        break;
    case 3:
        w->basic.Save();
        break;
    case 4:
        w->telephone.Read();
        break;
    case 5:
        w->telephone.Save();
        break;
    case 6:
        w->historyInf.Read();
        break;
    case 7:
        w->historyInf.DeleteAll();
        break;
    }
    if (size < 2) return 0;
    const std::size_t step = 1 + data[1] % 64;
    const std::uint8_t *rest = data + 2;
    const std::size_t n = size - 2;

    // The assembler finds the same frames whole or cut into chunks.
    FrameAssembler whole, cut;
    std::vector<ReceivedFrame> a, b;
    whole.feed(rest, n, a);
    for (std::size_t at = 0; at < n; at += step)
        cut.feed(rest + at, std::min(step, n - at), b);
    if (a.size() != b.size()) std::abort();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].size != b[i].size || a[i].good != b[i].good ||
            !std::equal(a[i].bytes.begin(), a[i].bytes.begin() + a[i].size, b[i].bytes.begin()))
            std::abort();

    for (std::size_t at = 0; at < n; at += step)
        w->session.handler().receive(rest + at, std::min(step, n - at));
    w->session.replyTimer().stop();
    return 0;
}
