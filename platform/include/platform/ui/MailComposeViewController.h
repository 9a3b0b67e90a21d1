#pragma once
// Our own composer for one e-mail: recipients, copies, blind copies, a subject
// and a plain-text body, all editable. Send hands the message, as one mailto
// URL, to the desktop's mail program; Cancel drops it. It sends nothing by
// itself and does not dismiss itself: its delegate hears the result and does.

#include "platform/Error.h"
#include "platform/ui/ViewController.h"
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Button;
class Label;
class TextField;
class TextView;

enum class MailComposeResult { Cancelled = 0, Saved = 1, Sent = 2, Failed = 3 };

class MailComposeViewController;

class MailComposeViewControllerDelegate {
public:
    virtual ~MailComposeViewControllerDelegate() = default;
    virtual void didFinishWithResult(MailComposeViewController&, MailComposeResult, const std::optional<Error>&) { }
};

class MailComposeViewController : public ViewController {
public:
    MailComposeViewController();
    ~MailComposeViewController() override;

    // A mail program may always be asked on the desktop.
    static bool canSendMail() { return true; }

    void setToRecipients(const std::vector<std::string>& addresses);
    void setCcRecipients(const std::vector<std::string>& addresses);
    void setBccRecipients(const std::vector<std::string>& addresses);
    void setSubject(const std::string& subject);
    // The body is sent as text; HTML is shown and sent as its source.
    void setMessageBody(const std::string& body, bool isHTML);

    // What the message holds now, the user's edits included. An address list
    // is the field's text cut at commas, each address trimmed, empty ones left out.
    std::vector<std::string> toRecipients() const;
    std::vector<std::string> ccRecipients() const;
    std::vector<std::string> bccRecipients() const;
    std::string subject() const;
    std::string messageBody() const;
    bool isBodyHTML() const { return bodyIsHTML_; }

    MailComposeViewControllerDelegate* mailComposeDelegate() const { return delegate_; }
    void setMailComposeDelegate(MailComposeViewControllerDelegate* delegate) { delegate_ = delegate; } // non-owning

    // The message as a mailto URL (RFC 6068): addresses after "mailto:", the
    // other fields as a query, each percent-escaped as UTF-8, line breaks as
    // CR LF; empty fields are left out.
    static std::string mailtoURL(const std::vector<std::string>& to, const std::vector<std::string>& cc,
        const std::vector<std::string>& bcc, const std::string& subject, const std::string& body);

    // The bar's two buttons.
    void send();
    void cancel();

    void loadView() override;

private:
    struct Fields;
    void finish(MailComposeResult result, std::optional<Error> error);

    std::unique_ptr<Fields> fields_;
    MailComposeViewControllerDelegate* delegate_ = nullptr;
    std::vector<std::string> to_, cc_, bcc_;
    std::string subject_, body_;
    bool bodyIsHTML_ = false;
};

}
