// The saver's music in the page: the tracks of music/tracks.txt, played by
// FluidSynth (in WebAssembly, through js-synthesizer) with the page's
// General MIDI soundfont, then through the desktop's look-ahead limiter
// (in the saver's module), so that no sample leaves above -1 dBFS. The
// saver's core drives it with its player commands: open, play, status,
// stop, close (see web_drive.h). While the synthesizer plays a track,
// <html data-music> names it.
'use strict';

const LinesaverMusic = (function () {
  const kBlockFrames = 2048; // frames the page renders at a time
  const kStopped = 2;
  const kPlaying = 1;

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error('cannot load ' + src));
      document.head.appendChild(script);
    });
  }

  async function fetchBytes(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error('cannot fetch ' + url);
    return response.arrayBuffer();
  }

  // What every player shares: the synthesizer's code and the soundfont,
  // fetched once, the first time music is wanted.
  let shared = null;
  function loadShared() {
    if (!shared) {
      shared = (async () => {
        await loadScript('libfluidsynth.js');
        await loadScript('js-synthesizer.min.js');
        await JSSynth.waitForReady();
        return { soundfont: await fetchBytes('soundfont.sf2') };
      })();
    }
    return shared;
  }

  // The names in music/tracks.txt; none when the list cannot be had.
  async function trackNames() {
    try {
      const text = new TextDecoder().decode(await fetchBytes('music/tracks.txt'));
      return text.split('\n').filter((name) => name && !name.includes('\\'));
    } catch (e) {
      return [];
    }
  }

  // A voice: a synthesizer at the sample rate with the soundfont loaded,
  // its output limited: render(left, right) fills both channels; synth is
  // the synthesizer itself.
  async function makeVoice(module, sampleRate) {
    const { soundfont } = await loadShared();
    const synth = new JSSynth.Synthesizer();
    synth.init(sampleRate);
    await synth.loadSFont(soundfont);
    const limiter = module._linesaver_limiter_open(sampleRate);
    if (!limiter) throw new Error('no limiter');
    const most = module._linesaver_limiter_block_frames();
    return {
      synth,
      render(left, right) {
        synth.render([left, right]);
        for (let start = 0; start < left.length; start += most) {
          const frames = Math.min(most, left.length - start);
          const at = module._linesaver_limiter_samples(limiter) >> 2;
          const samples = module.HEAPF32;
          for (let i = 0; i < frames; ++i) {
            samples[at + 2 * i] = left[start + i];
            samples[at + 2 * i + 1] = right[start + i];
          }
          module._linesaver_limiter_run(limiter, frames);
          for (let i = 0; i < frames; ++i) {
            left[start + i] = samples[at + 2 * i];
            right[start + i] = samples[at + 2 * i + 1];
          }
        }
      },
      close() {
        synth.close();
        module._linesaver_limiter_release(limiter);
      },
    };
  }

  // One saver's player, on an audio context the page made during the
  // user's gesture. Until the synthesizer is ready, a track asked to play
  // counts as playing and starts when it is.
  function player(module, context, tracks) {
    const bytes = new Map();
    let current = null;
    let wanted = false; // the current track is to play
    let started = false; // and the synthesizer plays it
    let voice = null;
    let ended = false;
    const node = context.createScriptProcessor(kBlockFrames, 0, 2);
    node.onaudioprocess = (event) => {
      const left = event.outputBuffer.getChannelData(0);
      const right = event.outputBuffer.getChannelData(1);
      if (voice) voice.render(left, right); else { left.fill(0); right.fill(0); }
    };
    node.connect(context.destination);

    function startWhenReady() {
      const track = current;
      if (!voice || !wanted || started || !bytes.has(track)) return;
      started = true;
      voice.synth.addSMFDataToPlayer(bytes.get(track)).then(() => {
        if (current !== track || !wanted) return undefined;
        document.documentElement.dataset.music = track;
        return voice.synth.playPlayer();
      }).catch(() => { started = false; wanted = false; });
    }

    makeVoice(module, context.sampleRate).then((made) => {
      if (ended) { made.close(); return; }
      voice = made;
      startWhenReady();
    }, (error) => console.error('linesaver: no music: ' + error.message));
    for (const name of tracks) {
      fetchBytes('music/' + encodeURIComponent(name)).then((data) => { bytes.set(name, data); startWhenReady(); },
        () => {});
    }

    return {
      open(name) {
        if (!tracks.includes(name)) return false;
        current = name;
        wanted = started = false;
        return true;
      },
      play() { wanted = true; startWhenReady(); },
      stop() {
        wanted = started = false;
        delete document.documentElement.dataset.music;
        if (voice) voice.synth.stopPlayer();
      },
      mode() {
        if (!wanted) return kStopped;
        if (!started) return kPlaying;
        if (voice.synth.isPlayerPlaying()) return kPlaying;
        delete document.documentElement.dataset.music;
        return kStopped;
      },
      end() {
        ended = true;
        delete document.documentElement.dataset.music;
        node.disconnect();
        if (voice) voice.close();
        voice = null;
        context.close().catch(() => {});
      },
    };
  }

  return { trackNames, player, voice: makeVoice };
})();
