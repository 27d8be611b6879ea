#pragma once
// Makes markup taken from a site inert before the program writes it into a
// local page: script elements, event handler attributes ("on..."), inline
// documents (srcdoc) and script addresses (javascript:, vbscript:) in address
// attributes go. Everything else keeps its characters, so ordinary forms come
// through unchanged.
//
// Tags are read the way a browser reads them (quoted values may hold ">").
// Where the two could disagree (inside comments, textareas, style text) tags
// are filtered anyway, and "<" and ">" inside attribute values become
// entities, so no value can end a comment or a textarea early and reveal
// markup that was not filtered. One pass, linear in the text.

#include <QString>

class HtmlScriptFilter {
public:
    static QString Filter(const QString& html);
};
