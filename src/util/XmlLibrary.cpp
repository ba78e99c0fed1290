// libxml2, opened when the first answer is parsed instead of at the program's start. Without
// it no document is read: every answer counts as one that is not XML.
#include "platform/LazyLibrary.h"

#pragma GCC visibility push(hidden)
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#pragma GCC visibility pop

namespace {

const LazyLibrary& xml() {
    static const LazyLibrary library("libxml2.so.2");
    return library;
}

// The library's deallocator is a variable, not a function: it is read once opened.
void freeThroughLibrary(void* memory) {
    static xmlFreeFunc* const deallocator = xml().find<xmlFreeFunc*>("xmlFree");
    if (deallocator && *deallocator) (*deallocator)(memory);
}

}  // namespace

#define XML_FUNCTION(function) LAZY_FUNCTION(xml, function)

extern "C" {

xmlFreeFunc xmlFree = freeThroughLibrary;

void xmlInitParser() {
    callIfPresent(XML_FUNCTION(xmlInitParser));
}
xmlParserCtxtPtr xmlNewParserCtxt() {
    return callOr(XML_FUNCTION(xmlNewParserCtxt), nullptr);
}
void xmlFreeParserCtxt(xmlParserCtxtPtr ctxt) {
    callIfPresent(XML_FUNCTION(xmlFreeParserCtxt), ctxt);
}
void xmlStopParser(xmlParserCtxtPtr ctxt) {
    callIfPresent(XML_FUNCTION(xmlStopParser), ctxt);
}
xmlDocPtr xmlCtxtReadMemory(xmlParserCtxtPtr ctxt, const char* buffer, int size, const char* URL,
                            const char* encoding, int options) {
    return callOr(XML_FUNCTION(xmlCtxtReadMemory), nullptr, ctxt, buffer, size, URL, encoding,
                  options);
}
void xmlFreeDoc(xmlDocPtr cur) {
    callIfPresent(XML_FUNCTION(xmlFreeDoc), cur);
}
xmlChar* xmlNodeGetContent(const xmlNode* cur) {
    return callOr(XML_FUNCTION(xmlNodeGetContent), nullptr, cur);
}
xmlXPathContextPtr xmlXPathNewContext(xmlDocPtr doc) {
    return callOr(XML_FUNCTION(xmlXPathNewContext), nullptr, doc);
}
void xmlXPathFreeContext(xmlXPathContextPtr ctxt) {
    callIfPresent(XML_FUNCTION(xmlXPathFreeContext), ctxt);
}
xmlXPathObjectPtr xmlXPathEvalExpression(const xmlChar* str, xmlXPathContextPtr ctxt) {
    return callOr(XML_FUNCTION(xmlXPathEvalExpression), nullptr, str, ctxt);
}
void xmlXPathFreeObject(xmlXPathObjectPtr obj) {
    callIfPresent(XML_FUNCTION(xmlXPathFreeObject), obj);
}

}  // extern "C"
