// Splits one line of text into tokens. The caller configures three small
// lists of single characters (delimiters, string quotes, comment starters),
// assigns the line with setSource() and reads TokenCount() and Tokens(i).
// Used for the configuration file, the detector's multi-field answers and the
// settings, station and user files.
//
// Rules of the split:
// - Delimiters separate tokens; consecutive delimiters give no empty tokens.
// - A quote character opens a quoted token that any quote character closes;
//   inside quotes delimiters and comment characters are ordinary text. A
//   closed pair of quotes always gives a token, even an empty one. Text
//   directly in front of an opening quote (with no delimiter between) is
//   dropped. An unclosed quote still yields its text as the last token.
// - A comment character outside quotes ends the scan. Text collected since
//   the last delimiter is kept as a token of its own ("3;note" gives "3");
//   the rest of the line after the comment character is then stored in slot
//   TokenCount() without counting it, so a caller may read it there.
// - At most 256 tokens are kept (slots 0..255). Further tokens of a longer
//   line are not stored: TokenCount() stays at 256 and Overflowed() reports
//   that the line was not split completely. Nothing is ever written outside
//   the table.
// - Each split clears the slots the previous split filled, so a slot at or
//   above TokenCount() holds either the comment text or nothing.
#pragma once

#include <QString>

class clsToken {
public:
    static constexpr int kTokenSlots = 256;    // slots 0..255
    static constexpr int kListSlots = 11;      // slots 0..10 of each character list
    static constexpr int kMaxListEntries = 10; // entries an Add* call may fill

    clsToken() = default;

    // List set-up. Each Add* stores the text in the next free slot while the
    // list holds fewer than 10 entries and ignores it otherwise. Only an entry
    // of exactly one character can ever match.
    void AddDelimiters(const QString& DelimChara);
    void AddStrings(const QString& DelimChara);
    void AddComments(const QString& DelimChara);
    void ClearDelimiters();
    void ClearStrings();
    void ClearComments();

    // List entries: reads give the entry when 0 <= Index < count, else empty;
    // writes store when 0 <= Index < 10 and leave the count alone.
    QString Delimiters(int Index) const;
    void setDelimiters(int Index, const QString& NewValue);
    QString StringRanges(int Index) const;
    void setStringRanges(int Index, const QString& NewValue);
    QString Comments(int Index) const;
    void setComments(int Index, const QString& NewValue);

    // Number of tokens of the last split. A written count is kept within
    // 0..256 so that callers looping over Tokens() stay inside the table.
    int TokenCount() const { return tokenCount_; }
    void setTokenCount(int count);

    // Token slots 0..255; any other index reads as empty and is ignored on write.
    QString Tokens(int IndexNo) const;
    void setTokens(int IndexNo, const QString& vData);

    // The line last assigned. Assigning splits it at once.
    QString Source() const { return source_; }
    void setSource(const QString& vData);

    // True when the last split found more than 256 tokens and dropped the rest.
    bool Overflowed() const { return overflowed_; }

private:
    struct CharList {
        QString entries[kListSlots];
        int count = 0;
    };
    static void add(CharList& list, const QString& entry);
    static void clear(CharList& list);
    static QString read(const CharList& list, int index);
    static void write(CharList& list, int index, const QString& value);
    static bool contains(const CharList& list, QChar ch);

    int classOf(QChar ch) const;
    void storeToken(const QString& text);
    void split();

    QString source_;
    QString tokens_[kTokenSlots];
    int tokenCount_ = 0;
    int usedSlots_ = 0; // slots the last split wrote, cleared by the next one
    bool overflowed_ = false;
    CharList delimiters_;
    CharList quotes_;
    CharList comments_;
};
