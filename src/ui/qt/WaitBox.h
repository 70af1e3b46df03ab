#pragma once

#include <QDialog>
#include <string>

class QLabel;

namespace dax {

// The modeless "Scanning..." box shown while the start-up scan runs. Its Cancel button only
// closes the box; the scan goes on to its end.
class WaitBox : public QDialog {
public:
    explicit WaitBox(const std::string& message);
    void SetMessage(const std::string& message);
    std::string Message() const;

private:
    QLabel* m_message;
};

} // namespace dax
