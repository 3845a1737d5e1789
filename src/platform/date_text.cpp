#include "platform/date_text.h"

#include <QLocale>
#include <vector>

namespace {
// A date or time format split into its parts: runs of one field letter, and literal text
// (quoted text already unquoted).
using Token = LocaleDateTexts::Part;

bool isFieldLetter(QChar c) {
    switch (c.unicode()) {
    case u'd':
    case u'M':
    case u'y':
    case u'h':
    case u'H':
    case u'm':
    case u's':
    case u'z':
    case u't':
    case u'a':
    case u'A':
    case u'p':
    case u'P':
        return true;
    default:
        return false;
    }
}

void appendLiteral(std::vector<Token>& tokens, const QString& text) {
    if (text.isEmpty())
        return;
    if (!tokens.empty() && tokens.back().field.isNull())
        tokens.back().literal += text;
    else
        tokens.push_back(Token{QChar(), 0, text});
}

std::vector<Token> tokenize(const QString& format) {
    std::vector<Token> tokens;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c == u'\'') {
            // Quoted literal; two quotes in a row stand for one quote.
            QString text;
            ++i;
            if (i < n && format[i] == u'\'') {
                appendLiteral(tokens, QStringLiteral("'"));
                ++i;
                continue;
            }
            while (i < n) {
                if (format[i] == u'\'') {
                    if (i + 1 < n && format[i + 1] == u'\'') {
                        text += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += format[i++];
            }
            appendLiteral(tokens, text);
        } else if (isFieldLetter(c)) {
            qsizetype j = i;
            while (j < n && format[j] == c)
                ++j;
            tokens.push_back(Token{c, int(j - i), QString()});
            i = j;
        } else {
            appendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

QString quoteLiteral(const QString& text) {
    // Quote literal text that holds letters or quotes, so Qt reads it as text again.
    bool needs = false;
    for (const QChar c : text) {
        if (c.isLetter() || c == u'\'') {
            needs = true;
            break;
        }
    }
    if (!needs)
        return text;
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

QString join(const std::vector<Token>& tokens) {
    QString out;
    for (const Token& t : tokens) {
        if (t.field.isNull())
            out += quoteLiteral(t.literal);
        else
            out += QString(t.count, t.field);
    }
    return out;
}

// The short date form with every one- to three-letter year widened to four digits.
QString widenYear(const QString& format) {
    std::vector<Token> tokens = tokenize(format);
    for (Token& t : tokens) {
        if (t.field == u'y' && t.count < 4)
            t.count = 4;
    }
    return join(tokens);
}

bool isSpace(QChar c) {
    return c.isSpace() || c == QChar(0x200F) || c == QChar(0x200E);
}

// A time form without its zone name; with seconds added when `seconds` asks for them and the
// form has none.
QString timeWithoutZone(const QString& format, bool seconds) {
    std::vector<Token> tokens = tokenize(format);
    for (size_t i = 0; i < tokens.size();) {
        if (tokens[i].field != u't') {
            ++i;
            continue;
        }
        QString* before = i > 0 && tokens[i - 1].field.isNull() ? &tokens[i - 1].literal : nullptr;
        QString* after = i + 1 < tokens.size() && tokens[i + 1].field.isNull()
                             ? &tokens[i + 1].literal
                             : nullptr;
        // A zone in brackets, "(t)", goes with its brackets.
        if (before && after && before->endsWith(u'(') && after->startsWith(u')')) {
            before->chop(1);
            after->remove(0, 1);
        }
        // The blank that separated the zone goes with it.
        if (before && !before->isEmpty() && isSpace(before->back())) {
            while (!before->isEmpty() && isSpace(before->back()))
                before->chop(1);
        } else if (after) {
            while (!after->isEmpty() && isSpace(after->front()))
                after->remove(0, 1);
        }
        tokens.erase(tokens.begin() + qsizetype(i));
    }
    // Drop literals that became empty; merge neighbours.
    std::vector<Token> clean;
    for (const Token& t : tokens) {
        if (t.field.isNull())
            appendLiteral(clean, t.literal);
        else
            clean.push_back(t);
    }
    // Trim blanks left at either end.
    if (!clean.empty() && clean.front().field.isNull()) {
        QString& s = clean.front().literal;
        while (!s.isEmpty() && isSpace(s.front()))
            s.remove(0, 1);
    }
    if (!clean.empty() && clean.back().field.isNull()) {
        QString& s = clean.back().literal;
        while (!s.isEmpty() && isSpace(s.back()))
            s.chop(1);
    }
    bool hasSeconds = false;
    qsizetype lastMinute = -1;
    for (size_t i = 0; i < clean.size(); ++i) {
        if (clean[i].field == u's')
            hasSeconds = true;
        if (clean[i].field == u'm')
            lastMinute = qsizetype(i);
    }
    if (seconds && !hasSeconds && lastMinute >= 0) {
        clean.insert(clean.begin() + lastMinute + 1, Token{QChar(u's'), 2, QString()});
        clean.insert(clean.begin() + lastMinute + 1, Token{QChar(), 0, QStringLiteral(":")});
    }
    return join(clean);
}

// A two-digit year read as in POSIX strptime: 69 to 99 are 1969 to 1999, 00 to 68 are 2000
// to 2068.
int widenTwoDigitYear(int yy) {
    return yy >= 69 ? 1900 + yy : 2000 + yy;
}

void skipSpace(const QString& s, qsizetype& i) {
    while (i < s.size() && isSpace(s[i]))
        ++i;
}

// Reads up to `maxDigits` ASCII digits; the count read is returned through `digits`.
bool readNumber(const QString& s, qsizetype& i, int maxDigits, int& value, int& digits) {
    skipSpace(s, i);
    value = 0;
    digits = 0;
    while (i < s.size() && digits < maxDigits && s[i] >= u'0' && s[i] <= u'9') {
        value = value * 10 + (s[i].unicode() - u'0');
        ++i;
        ++digits;
    }
    return digits > 0;
}

bool readMonthName(const QString& s, qsizetype& i, const QStringList& names, int& month) {
    skipSpace(s, i);
    qsizetype best = 0;
    for (int k = 0; k < names.size(); ++k) {
        const QString& name = names[k];
        if (name.size() > best &&
            QStringView(s).mid(i, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
            best = name.size();
            month = k / 2 + 1;
        }
    }
    i += best;
    return best > 0;
}

bool readLiteral(const QString& s, qsizetype& i, const QString& literal) {
    for (const QChar c : literal) {
        if (isSpace(c))
            continue; // blanks in the form are optional in the text
        skipSpace(s, i);
        if (i >= s.size() || (s[i] != c && s[i].toCaseFolded() != c.toCaseFolded()))
            return false;
        ++i;
    }
    return true;
}

} // namespace

LocaleDateTexts::LocaleDateTexts(const QLocale& locale) : locale_(locale) {
    dateAsGiven_ = locale_.language() == QLocale::C ? QStringLiteral("yyyy-MM-dd")
                                                    : locale_.dateFormat(QLocale::ShortFormat);
    date_ = widenYear(dateAsGiven_);
    time_ = timeWithoutZone(locale_.timeFormat(QLocale::LongFormat), true);
    shortTime_ = timeWithoutZone(locale_.timeFormat(QLocale::ShortFormat), false);
    dateParts_ = tokenize(date_);
    quickDates_ = locale_.zeroDigit() == QStringLiteral("0");
    for (const Part& t : dateParts_) {
        const bool known =
            t.field.isNull() || t.field == u'd' || t.field == u'M' || t.field == u'y';
        if (!known || (t.field == u'd' && t.count > 2) || (t.field == u'M' && t.count > 4))
            quickDates_ = false;
    }
    for (int m = 1; m <= 12; ++m) {
        monthNames_[0] << locale_.monthName(m, QLocale::ShortFormat)
                       << locale_.standaloneMonthName(m, QLocale::ShortFormat);
        monthNames_[1] << locale_.monthName(m, QLocale::LongFormat)
                       << locale_.standaloneMonthName(m, QLocale::LongFormat);
    }
}

QString LocaleDateTexts::dateText(const QDate& date) const {
    return date.isValid() ? locale_.toString(date, date_) : QString();
}

QString LocaleDateTexts::timeText(const QTime& time) const {
    return time.isValid() ? locale_.toString(time, time_) : QString();
}

// Reads a date in a numeric or month-name form without going through QDateTimeParser: sorting
// a large list by date reads every row's date, and this is many times quicker.
QDate LocaleDateTexts::readDate(const QString& s) const {
    int day = -1, month = -1, year = -1;
    qsizetype i = 0;
    for (const Token& t : dateParts_) {
        int value = 0, digits = 0;
        if (t.field.isNull()) {
            if (!readLiteral(s, i, t.literal))
                return QDate();
        } else if (t.field == u'd') {
            if (!readNumber(s, i, 2, value, digits))
                return QDate();
            day = value;
        } else if (t.field == u'M' && t.count <= 2) {
            if (!readNumber(s, i, 2, value, digits))
                return QDate();
            month = value;
        } else if (t.field == u'M') {
            if (!readMonthName(s, i, monthNames_[t.count == 3 ? 0 : 1], month))
                return QDate();
        } else { // y
            if (!readNumber(s, i, 4, value, digits))
                return QDate();
            year = digits <= 2 ? widenTwoDigitYear(value) : value;
        }
    }
    skipSpace(s, i);
    if (i != s.size() || day < 0 || month < 0 || year < 0 || !QDate::isValid(year, month, day))
        return QDate();
    return QDate(year, month, day);
}
QDate LocaleDateTexts::parseDate(const QString& text) const {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return QDate();
    if (quickDates_)
        return readDate(s);
    // Forms with weekday names or other digits go through Qt's parser. The locale's own form
    // is tried first: where it has a two-digit year it cannot take a four-digit one, whereas
    // the widened form could read "25" as the year 25.
    if (dateAsGiven_ != date_) {
        const QDate d = locale_.toDate(s, dateAsGiven_);
        if (d.isValid()) {
            const QDate w(widenTwoDigitYear(d.year() % 100), d.month(), d.day());
            if (w.isValid())
                return w;
        }
    }
    return locale_.toDate(s, date_);
}

QTime LocaleDateTexts::parseTime(const QString& text) const {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return QTime();
    // The long form, then the same without seconds, then the neutral 24-hour forms.
    for (const QString& form : {time_, shortTime_}) {
        const QTime t = locale_.toTime(s, form);
        if (t.isValid())
            return t;
    }
    for (const char* form : {"H:mm:ss", "H:mm"}) {
        const QTime t = QTime::fromString(s, QLatin1String(form));
        if (t.isValid())
            return t;
    }
    return QTime();
}

QStringList LocaleDateTexts::dateSamples() const {
    QStringList texts;
    for (int m = 1; m <= 12; ++m)
        texts << dateText(QDate(2088, m, 28));
    return texts;
}

QStringList LocaleDateTexts::timeSamples() const {
    QStringList texts;
    for (int h : {0, 10, 12, 23})
        texts << timeText(QTime(h, 58, 58));
    return texts;
}

bool isPlainTimeLocale(const QByteArray& lcAll, const QByteArray& lcTime, const QByteArray& lang) {
    QByteArray name = !lcAll.isEmpty() ? lcAll : !lcTime.isEmpty() ? lcTime : lang;
    const qsizetype cut = name.indexOf('.');
    if (cut >= 0)
        name.truncate(cut);
    return name.isEmpty() || name == "C" || name == "POSIX";
}

const LocaleDateTexts& systemDateTexts() {
    // QLocale::system() is itself fixed when the program starts, so its forms are worked out
    // once. Qt reads the date forms from LC_TIME but the locale's language from the numeric
    // category, so a plain LC_TIME under another language is found from the environment.
    static const LocaleDateTexts texts(
        isPlainTimeLocale(qgetenv("LC_ALL"), qgetenv("LC_TIME"), qgetenv("LANG"))
            ? QLocale::c()
            : QLocale::system());
    return texts;
}

QString shortDateFormat() {
    return systemDateTexts().dateFormat();
}
QString longTimeFormat() {
    return systemDateTexts().timeFormat();
}
QString shortDateText(const QDate& date) {
    return systemDateTexts().dateText(date);
}
QString longTimeText(const QTime& time) {
    return systemDateTexts().timeText(time);
}
QDate parseShortDate(const QString& text) {
    return systemDateTexts().parseDate(text);
}
QTime parseLongTime(const QString& text) {
    return systemDateTexts().parseTime(text);
}
QStringList sampleDateTexts() {
    return systemDateTexts().dateSamples();
}
QStringList sampleTimeTexts() {
    return systemDateTexts().timeSamples();
}
