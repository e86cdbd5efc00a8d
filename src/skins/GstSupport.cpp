#include "GstSupport.h"

namespace GstSupport {
std::optional<SkinError> ensureInitialized()
{
    static const std::optional<SkinError> result = []() -> std::optional<SkinError> {
        GError* error = nullptr;
        if (gst_init_check(nullptr, nullptr, &error))
            return std::nullopt;
        SkinError converted = errorFromGError(error);
        g_clear_error(&error);
        return converted;
    }();
    return result;
}

SkinError errorFromGError(const GError* error)
{
    if (!error)
        return pipelineError(0, QStringLiteral("Unknown GStreamer error"));
    return {QString::fromUtf8(g_quark_to_string(error->domain)), error->code,
            QString::fromUtf8(error->message)};
}

SkinError pipelineError(int code, const QString& description)
{
    return {QStringLiteral("GStreamer"), code, description};
}

GstElement* addElement(GstBin* bin, const char* factory, const char* name)
{
    GstElement* element = gst_element_factory_make(factory, name);
    if (element)
        gst_bin_add(bin, element);
    return element;
}

QString padMediaType(GstPad* pad)
{
    MiniObjectPtr<GstCaps> caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get()))
        return {};
    return QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
}

bool discardPad(GstBin* bin, GstPad* pad)
{
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return false;
    // Not taking part in preroll: a stream without data must not hold the pipeline back.
    g_object_set(sink, "async", FALSE, "sync", FALSE, nullptr);
    gst_bin_add(bin, sink);
    gst_element_sync_state_with_parent(sink);
    ObjectPtr<GstPad> sinkPad(gst_element_get_static_pad(sink, "sink"));
    return gst_pad_link(pad, sinkPad.get()) == GST_PAD_LINK_OK;
}
} // namespace GstSupport
