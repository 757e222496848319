#include "app/clsToken.h"

#include <algorithm>

namespace {
enum CharClass { Ordinary = 0, Delimiter = 1, Quote = 2, Comment = 3 };
} // namespace

void clsToken::add(CharList& list, const QString& entry) {
    if (list.count < kMaxListEntries) {
        list.entries[list.count] = entry;
        ++list.count;
    }
}

void clsToken::clear(CharList& list) {
    for (int i = 0; i < kMaxListEntries; ++i)
        list.entries[i].clear();
    list.count = 0;
}

QString clsToken::read(const CharList& list, int index) {
    if (index >= 0 && index < list.count)
        return list.entries[index];
    return QString();
}

void clsToken::write(CharList& list, int index, const QString& value) {
    if (index >= 0 && index < kMaxListEntries)
        list.entries[index] = value;
}

bool clsToken::contains(const CharList& list, QChar ch) {
    for (int i = 0; i < list.count; ++i) {
        const QString& entry = list.entries[i];
        if (entry.size() == 1 && entry.at(0) == ch)
            return true;
    }
    return false;
}

void clsToken::AddDelimiters(const QString& DelimChara) {
    add(delimiters_, DelimChara);
}
void clsToken::AddStrings(const QString& DelimChara) {
    add(quotes_, DelimChara);
}
void clsToken::AddComments(const QString& DelimChara) {
    add(comments_, DelimChara);
}
void clsToken::ClearDelimiters() {
    clear(delimiters_);
}
void clsToken::ClearStrings() {
    clear(quotes_);
}
void clsToken::ClearComments() {
    clear(comments_);
}

QString clsToken::Delimiters(int Index) const {
    return read(delimiters_, Index);
}
void clsToken::setDelimiters(int Index, const QString& NewValue) {
    write(delimiters_, Index, NewValue);
}
QString clsToken::StringRanges(int Index) const {
    return read(quotes_, Index);
}
void clsToken::setStringRanges(int Index, const QString& NewValue) {
    write(quotes_, Index, NewValue);
}
QString clsToken::Comments(int Index) const {
    return read(comments_, Index);
}
void clsToken::setComments(int Index, const QString& NewValue) {
    write(comments_, Index, NewValue);
}

void clsToken::setTokenCount(int count) {
    tokenCount_ = std::clamp(count, 0, kTokenSlots);
}

QString clsToken::Tokens(int IndexNo) const {
    if (IndexNo >= 0 && IndexNo < kTokenSlots)
        return tokens_[IndexNo];
    return QString();
}

void clsToken::setTokens(int IndexNo, const QString& vData) {
    if (IndexNo >= 0 && IndexNo < kTokenSlots) {
        tokens_[IndexNo] = vData;
        usedSlots_ = std::max(usedSlots_, IndexNo + 1);
    }
}

void clsToken::setSource(const QString& vData) {
    source_ = vData;
    split();
}

// A character present in several lists takes the class of the last list
// holding it: comment over quote over delimiter.
int clsToken::classOf(QChar ch) const {
    int cls = Ordinary;
    if (contains(delimiters_, ch))
        cls = Delimiter;
    if (contains(quotes_, ch))
        cls = Quote;
    if (contains(comments_, ch))
        cls = Comment;
    return cls;
}

void clsToken::storeToken(const QString& text) {
    if (tokenCount_ >= kTokenSlots) {
        overflowed_ = true;
        return;
    }
    tokens_[tokenCount_] = text;
    ++tokenCount_;
    usedSlots_ = std::max(usedSlots_, tokenCount_);
}

void clsToken::split() {
    for (int i = 0; i < usedSlots_; ++i)
        tokens_[i].clear();
    usedSlots_ = 0;
    tokenCount_ = 0;
    overflowed_ = false;

    QString current;
    bool inQuote = false;
    const int length = source_.size();
    for (int pos = 0; pos < length; ++pos) {
        const QChar ch = source_.at(pos);
        switch (classOf(ch)) {
        case Delimiter:
            if (inQuote) {
                current += ch;
            } else {
                if (!current.isEmpty())
                    storeToken(current);
                current.clear();
            }
            break;
        case Quote:
            if (inQuote) {
                storeToken(current);
                inQuote = false;
            } else {
                inQuote = true;
            }
            current.clear();
            break;
        case Comment:
            if (inQuote) {
                current += ch;
                break;
            }
            if (!current.isEmpty())
                storeToken(current);
            if (tokenCount_ < kTokenSlots) {
                tokens_[tokenCount_] = source_.mid(pos + 1);
                usedSlots_ = std::max(usedSlots_, tokenCount_ + 1);
            }
            return;
        default:
            current += ch;
            break;
        }
    }
    if (!current.isEmpty())
        storeToken(current);
}
