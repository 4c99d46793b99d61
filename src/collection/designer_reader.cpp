#include "collection/designer_reader.h"

#include "automation/designer_session.h"
#include "inspect/label_contents.h"

namespace strovex {

LabelReader designerLabelReader(std::function<const QuillApp &()> connect)
{
    return [connect = std::move(connect)](const QString &path) {
        const QuillApp &app = connect();
        LabelReading reading;
        try {
            const OpenedLabel opened = openLabel(app, path);
            if (!opened) {
                reading.state = LabelState::Refused;
                reading.error = opened.failure;
                return reading;
            }
            LabelHandles handles = LabelHandles::fromLabel(opened.label);
            readLabelContents(handles, reading.contents);
        } catch (const AutomationError &e) {
            reading.state = LabelState::Failed;
            reading.error = toQString(e.text());
            reading.contents = {};
        } catch (const LabelTooLargeError &e) {
            reading.state = LabelState::Failed;
            reading.error = QString::fromUtf8(e.what());
            reading.contents = {};
        }
        return reading;
    };
}

} // namespace strovex
