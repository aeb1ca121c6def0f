// The voice copier of the performance and mix editors: a voice stored in
// the instrument is copied into a part of the edit buffer (the instrument
// model writes it as parameter changes), then the editor reads its edit
// buffer again.
//
// The performance editor keeps its edit buffer over the copy: the voice can
// only be requested in Voice mode, which loses the performance on the
// instrument. It reads the performance first and, whatever happens after
// (the voice request fails included), puts the instrument back in
// Performance mode and sends the performance back before the copy. The mix
// editor needs neither.
//
// GUI thread only; blocks it in the requests (2000 ms for the performance,
// 3000 ms for the voice) behind a progress window.
#pragma once

class EditorWindow;

namespace VoiceCopier {

// kind: VoiceCopierInfo::Performance or VoiceCopierInfo::Mix. Returns when
// the copy has ended, failed ("Time out!") or been cancelled.
void run(EditorWindow& window, int kind);

} // namespace VoiceCopier
