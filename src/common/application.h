#pragma once

#include <QApplication>
#include <exception>

// The application's general error report: an error that stopped an operation (for example
// a refused settings write) is shown to the person in the error box.
void reportError(const std::exception& error);
// The text that report shows.
QString errorText(const std::exception& error);

// Runs `work`; a std::exception escaping it is shown through the general error report and
// `work` counts as not done (false). Only the operation that failed stops.
template <class Work> bool runReportingErrors(Work&& work) {
    try {
        return work();
    } catch (const std::exception& error) {
        reportError(error);
        return false;
    }
}

// The program's application object: named "Zelkova '95", and an exception escaping an event
// handler ends that handler's work with an error box instead of ending the program.
class ZelkovaApplication : public QApplication {
public:
    ZelkovaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
