// The mail composer: what Send hands to the desktop is one mailto URL that
// gives back every field exactly, the user's edits included; Cancel sends
// nothing; the delegate hears each outcome.
#include "platform/Url.h"
#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MailComposeViewController.h"
#include <gtest/gtest.h>
#include <map>

using namespace platform;

namespace {

struct Finished : MailComposeViewControllerDelegate {
    std::vector<MailComposeResult> results;
    void didFinishWithResult(MailComposeViewController&, MailComposeResult r, const std::optional<Error>&) override
    {
        results.push_back(r);
    }
};

// A mailto URL read back by RFC 6068: addresses before "?", fields after it.
struct Mail {
    std::string to;
    std::map<std::string, std::string> fields;
};
Mail readBack(const std::string& url)
{
    EXPECT_EQ(url.rfind("mailto:", 0), 0u);
    Mail m;
    std::string rest = url.substr(7);
    size_t q = rest.find('?');
    m.to = Url::percentUnescape(rest.substr(0, q)).value_or("<broken>");
    if (q == std::string::npos)
        return m;
    std::string query = rest.substr(q + 1);
    size_t start = 0;
    while (start <= query.size()) {
        size_t amp = query.find('&', start);
        std::string pair = query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        size_t eq = pair.find('=');
        EXPECT_NE(eq, std::string::npos) << pair;
        EXPECT_EQ(pair.find_first_of("?#= \r\n", eq + 1), std::string::npos) << "unescaped separator in " << pair;
        m.fields[pair.substr(0, eq)] = Url::percentUnescape(pair.substr(eq + 1)).value_or("<broken>");
        if (amp == std::string::npos)
            break;
        start = amp + 1;
    }
    return m;
}

}

TEST(MailComposeViewController, TheMailtoURLGivesBackEveryFieldExactly)
{
    const std::string subject = "Fees & prices? 100% = \"fair\" #1";
    const std::string body = "Hello,\nline two\r\nline three\rend é ✓";
    Mail m = readBack(MailComposeViewController::mailtoURL({ "a@example.com", "b+tag@example.com" },
        { "c@example.com" }, { "d@example.com", "e@example.com" }, subject, body));
    EXPECT_EQ(m.to, "a@example.com,b+tag@example.com");
    EXPECT_EQ(m.fields["cc"], "c@example.com");
    EXPECT_EQ(m.fields["bcc"], "d@example.com,e@example.com");
    EXPECT_EQ(m.fields["subject"], subject);
    EXPECT_EQ(m.fields["body"], "Hello,\r\nline two\r\nline three\r\nend é ✓") << "line breaks go as CR LF";
    EXPECT_EQ(m.fields.size(), 4u);

    // An address cannot smuggle in a field of its own.
    m = readBack(MailComposeViewController::mailtoURL({ "x@example.com?bcc=spy@example.com" }, {}, {}, "", ""));
    EXPECT_EQ(m.to, "x@example.com?bcc=spy@example.com");
    EXPECT_TRUE(m.fields.empty()) << "empty fields are left out";
}

TEST(MailComposeViewController, SendHandsOverWhatTheFieldsHoldAndCancelSendsNothing)
{
    auto& app = Application::shared();
    Finished delegate;
    MailComposeViewController composer;
    composer.setMailComposeDelegate(&delegate);
    composer.setToRecipients({ "team@example.com" });
    composer.setCcRecipients({ "a@example.com", "b@example.com" });
    composer.setSubject("Hi");
    composer.setMessageBody("Body", false);
    size_t before = app.openedURLs().size();

    // The user edits the fields on screen before sending.
    View& v = composer.view();
    static_cast<TextField*>(v.findByName("composerBcc"))->simulateUserEdit(" x@example.com , ,y@example.com");
    static_cast<TextField*>(v.findByName("composerCc"))->simulateUserEdit("");
    EXPECT_EQ(composer.bccRecipients(), (std::vector<std::string> { "x@example.com", "y@example.com" }));
    static_cast<Button*>(v.findByName("composerSend"))->simulateTap();
    ASSERT_EQ(app.openedURLs().size(), before + 1);
    EXPECT_EQ(app.openedURLs().back(), "mailto:team@example.com?bcc=x@example.com,y@example.com&subject=Hi&body=Body");

    static_cast<Button*>(v.findByName("composerCancel"))->simulateTap();
    EXPECT_EQ(app.openedURLs().size(), before + 1);
    EXPECT_EQ(delegate.results, (std::vector<MailComposeResult> { MailComposeResult::Sent, MailComposeResult::Cancelled }));
}
