#include "platform/ui/MailComposeViewController.h"

#include "platform/Url.h"
#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"

namespace platform {

namespace {

constexpr float kBarHeight = 44;
constexpr float kRowHeight = 36;
constexpr float kLabelWidth = 64;

std::string trim(std::string s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> addresses(const std::string& text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string piece = trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!piece.empty())
            out.push_back(std::move(piece));
        if (comma == std::string::npos)
            return out;
        start = comma + 1;
    }
}

std::string joined(const std::vector<std::string>& list, const char* separator)
{
    std::string out;
    for (const auto& item : list) {
        if (!out.empty())
            out += separator;
        out += item;
    }
    return out;
}

// Line breaks of any kind become CR LF, as mail wants them.
std::string crlf(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

// An address keeps its "@"; everything else outside the unreserved set, the
// separators "," "?" "&" "=" "#" "%" among it, is escaped.
std::string escapedAddresses(const std::vector<std::string>& list)
{
    std::vector<std::string> escaped;
    for (const auto& a : list)
        escaped.push_back(Url::percentEscape(a, "@"));
    return joined(escaped, ",");
}

}

struct MailComposeViewController::Fields {
    View bar { Rect { 0, 0, 320, kBarHeight } };
    Label title { Rect { 80, 0, 160, kBarHeight } };
    Button cancel { Rect { 6, 7, 66, 30 } };
    Button send { Rect { 248, 7, 66, 30 } };
    Label labels[4];
    TextField values[4];
    View separators[4];
    TextView body;
};

MailComposeViewController::MailComposeViewController() = default;

MailComposeViewController::~MailComposeViewController() = default;

void MailComposeViewController::loadView()
{
    // A second load (after a memory warning) starts from what the fields held.
    if (fields_) {
        to_ = toRecipients();
        cc_ = ccRecipients();
        bcc_ = bccRecipients();
        subject_ = subject();
        body_ = messageBody();
        fields_.reset();
    }
    auto root = std::make_unique<View>(Rect { 0, 0, 320, 480 });
    root->setBackgroundColor(Color::white());
    root->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    fields_ = std::make_unique<Fields>();
    Fields& f = *fields_;
    const float width = root->frame().width;

    f.bar.setBackgroundColor({ 0.42f, 0.50f, 0.62f, 1 });
    f.bar.setAutoresizingMask(AutoresizingFlexibleWidth);
    root->addSubview(f.bar);
    f.title.setText("New Message");
    f.title.setFont(Font::boldSystemFont(18));
    f.title.setTextColor(Color::white());
    f.title.setTextAlignment(TextAlignment::Center);
    f.title.setAutoresizingMask(AutoresizingFlexibleLeftMargin | AutoresizingFlexibleRightMargin);
    f.bar.addSubview(f.title);
    const std::pair<Button*, const char*> buttons[] = { { &f.cancel, "Cancel" }, { &f.send, "Send" } };
    for (auto [button, text] : buttons) {
        button->setTitle(text);
        button->setFont(Font::boldSystemFont(13));
        button->setObjectName(button == &f.cancel ? "composerCancel" : "composerSend");
        f.bar.addSubview(*button);
    }
    f.send.setAutoresizingMask(AutoresizingFlexibleLeftMargin);
    f.cancel.onTouchUpInside = [this](Button&) { cancel(); };
    f.send.onTouchUpInside = [this](Button&) { send(); };

    static const char* const captions[4] = { "To:", "Cc:", "Bcc:", "Subject:" };
    static const char* const names[4] = { "composerTo", "composerCc", "composerBcc", "composerSubject" };
    const std::string texts[4] = { joined(to_, ", "), joined(cc_, ", "), joined(bcc_, ", "), subject_ };
    for (int row = 0; row < 4; ++row) {
        float y = kBarHeight + float(row) * kRowHeight;
        f.labels[row].setFrame({ 8, y, kLabelWidth, kRowHeight });
        f.labels[row].setText(captions[row]);
        f.labels[row].setFont(Font::systemFont(15));
        f.labels[row].setTextColor({ 0.5f, 0.5f, 0.5f, 1 });
        root->addSubview(f.labels[row]);
        f.values[row].setFrame({ 8 + kLabelWidth, y + 6, width - 16 - kLabelWidth, kRowHeight - 12 });
        f.values[row].setFont(Font::systemFont(15));
        f.values[row].setBorderStyle(TextField::BorderStyle::None);
        f.values[row].setAutoresizingMask(AutoresizingFlexibleWidth);
        f.values[row].setObjectName(names[row]);
        f.values[row].setText(texts[row]);
        root->addSubview(f.values[row]);
        f.separators[row].setFrame({ 0, y + kRowHeight - 1, width, 1 });
        f.separators[row].setBackgroundColor({ 0.8f, 0.8f, 0.8f, 1 });
        f.separators[row].setAutoresizingMask(AutoresizingFlexibleWidth);
        root->addSubview(f.separators[row]);
    }
    float top = kBarHeight + 4 * kRowHeight;
    f.body.setFrame({ 4, top + 4, width - 8, root->frame().height - top - 8 });
    f.body.setFont(Font::systemFont(15));
    f.body.setEditable(true);
    f.body.setText(body_);
    f.body.setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    f.body.setObjectName("composerBody");
    root->addSubview(f.body);
    setView(std::move(root));
}

void MailComposeViewController::setToRecipients(const std::vector<std::string>& list)
{
    to_ = list;
    if (fields_)
        fields_->values[0].setText(joined(list, ", "));
}

void MailComposeViewController::setCcRecipients(const std::vector<std::string>& list)
{
    cc_ = list;
    if (fields_)
        fields_->values[1].setText(joined(list, ", "));
}

void MailComposeViewController::setBccRecipients(const std::vector<std::string>& list)
{
    bcc_ = list;
    if (fields_)
        fields_->values[2].setText(joined(list, ", "));
}

void MailComposeViewController::setSubject(const std::string& subject)
{
    subject_ = subject;
    if (fields_)
        fields_->values[3].setText(subject);
}

void MailComposeViewController::setMessageBody(const std::string& body, bool isHTML)
{
    body_ = body;
    bodyIsHTML_ = isHTML;
    if (fields_)
        fields_->body.setText(body);
}

std::vector<std::string> MailComposeViewController::toRecipients() const
{
    return fields_ ? addresses(fields_->values[0].text()) : addresses(joined(to_, ","));
}

std::vector<std::string> MailComposeViewController::ccRecipients() const
{
    return fields_ ? addresses(fields_->values[1].text()) : addresses(joined(cc_, ","));
}

std::vector<std::string> MailComposeViewController::bccRecipients() const
{
    return fields_ ? addresses(fields_->values[2].text()) : addresses(joined(bcc_, ","));
}

std::string MailComposeViewController::subject() const { return fields_ ? fields_->values[3].text() : subject_; }

std::string MailComposeViewController::messageBody() const { return fields_ ? fields_->body.text() : body_; }

std::string MailComposeViewController::mailtoURL(const std::vector<std::string>& to, const std::vector<std::string>& cc,
    const std::vector<std::string>& bcc, const std::string& subject, const std::string& body)
{
    std::string url("mailto:");
    url.append(escapedAddresses(to));
    char separator = '?';
    const auto field = [&](const char* name, const std::string& escaped) {
        if (escaped.empty())
            return;
        url.push_back(separator);
        url.append(name);
        url.push_back('=');
        url.append(escaped);
        separator = '&';
    };
    field("cc", escapedAddresses(cc));
    field("bcc", escapedAddresses(bcc));
    field("subject", Url::percentEscape(crlf(subject)));
    field("body", Url::percentEscape(crlf(body)));
    return url;
}

void MailComposeViewController::send()
{
    std::string url = mailtoURL(toRecipients(), ccRecipients(), bccRecipients(), subject(), messageBody());
    if (Application::shared().openURL(url))
        finish(MailComposeResult::Sent, std::nullopt);
    else
        finish(MailComposeResult::Failed, Error("MailCompose", 1, "No mail program took the message."));
}

void MailComposeViewController::cancel() { finish(MailComposeResult::Cancelled, std::nullopt); }

void MailComposeViewController::finish(MailComposeResult result, std::optional<Error> error)
{
    // The delegate may destroy this composer: nothing of it is touched after.
    if (delegate_)
        delegate_->didFinishWithResult(*this, result, error);
}

}
