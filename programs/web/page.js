// The page around the saver's module: its views (the saver itself, one
// pattern on a loop, the gallery, a fixed number of ticks for tests), its
// parameters, and the way back to the start after the saver has left.
'use strict';

(function () {
  const root = document.documentElement;
  const stage = document.getElementById('stage');
  const startButton = document.getElementById('start-button');
  const noticeLine = document.getElementById('notice');

  const kLargestSide = 16384;
  const kMostTicks = 100000000;
  // The gallery's cells: a 1024 x 768 screen at about a fifth of its size.
  const kCell = { width: 200, height: 150, screenWidth: 1024, screenHeight: 768 };

  function setState(state) { root.dataset.state = state; }

  function notice(text) {
    noticeLine.textContent = text;
    noticeLine.hidden = false;
  }

  if (typeof WebAssembly !== 'object' || typeof createLinesaver !== 'function') {
    setState('start');
    notice('This browser cannot run linesaver: it needs WebAssembly.');
    return;
  }

  // The parameters, each checked (the seed and the pattern by the module);
  // what is wrong is ignored and named in one line.
  function readParameters(module) {
    const known = {
      seed: (v) => module.ccall('linesaver_seed_ok', 'number', ['string'], [v]) ? v : undefined,
      size: (v) => {
        const m = /^([0-9]{1,5})x([0-9]{1,5})$/.exec(v);
        if (!m) return undefined;
        const size = { width: Number(m[1]), height: Number(m[2]) };
        const fits = (n) => n >= 1 && n <= kLargestSide;
        return fits(size.width) && fits(size.height) ? size : undefined;
      },
      ticks: (v) => /^[0-9]{1,9}$/.test(v) && Number(v) <= kMostTicks ? Number(v) : undefined,
      pattern: (v) => /^[0-9]{1,9}$/.test(v) && Number(v) >= 1 && Number(v) <= module._linesaver_pattern_count()
        ? Number(v) : undefined,
      gallery: (v) => v === '' ? true : undefined,
      music: (v) => v === '0' || v === '1' ? v === '1' : undefined,
    };
    const chosen = {};
    const ignored = [];
    for (const [name, value] of new URLSearchParams(location.search)) {
      const check = Object.prototype.hasOwnProperty.call(known, name) ? known[name] : null;
      const taken = check ? check(value) : undefined;
      if (taken === undefined || name in chosen) ignored.push(value === '' ? name : name + '=' + value);
      else chosen[name] = taken;
    }
    if (ignored.length) notice('Ignored: ' + ignored.join(', ') + ' (unknown, out of range or repeated).');
    return chosen;
  }

  createLinesaver({ linesaverViews: {}, linesaverShowPointer: showPointer }).then(run, (error) => {
    setState('start');
    notice('linesaver could not start in this browser: ' + error);
  });

  function showPointer(view, shown) {
    if (view === 0 && root.dataset.view === 'saver') root.style.cursor = shown ? '' : 'none';
  }

  function run(module) {
    const parameters = readParameters(module);

    // A view: one canvas of widthPx x heightPx device pixels and the saver
    // drawing on it a screen of screenWidth x screenHeight pixels, its
    // lines one CSS pixel (penPx device pixels) wide.
    function openView(id, canvas, widthPx, heightPx, screenWidth, screenHeight, penPx, pattern, tracks = []) {
      canvas.width = widthPx;
      canvas.height = heightPx;
      const view = { id, canvas, session: 0, timer: 0, onLeft: null };
      // A low-latency canvas costs the browser less to show, the pixels
      // the same.
      module.linesaverViews[id] = { context: canvas.getContext('2d', { alpha: false, desynchronized: true }) };
      view.session = module.ccall('linesaver_open', 'number',
        ['number', 'number', 'number', 'number', 'number', 'number', 'string', 'string', 'number'],
        [id, widthPx, heightPx, screenWidth, screenHeight, penPx, parameters.seed || '', tracks.join('\n'),
          pattern || 0]);
      if (!view.session) throw new Error('no picture of ' + widthPx + ' x ' + heightPx + ' pixels');
      call(view, '_linesaver_begin');
      return view;
    }

    // Calls into the saver. When it leaves, the call is unwound: the stack
    // is set back to where it was, the saver released.
    function call(view, name, ...args) {
      if (!view.session) return -1;
      const stack = module.stackSave();
      try {
        return module[name](view.session, ...args);
      } catch (e) {
        if (e !== 'unwind') throw e;
        module.stackRestore(stack);
        release(view);
        if (view.onLeft) view.onLeft();
        return -1;
      }
    }

    function release(view) {
      clearTimeout(view.timer);
      if (view.session) module._linesaver_release(view.session);
      view.session = 0;
      delete module.linesaverViews[view.id];
    }

    // The timers, woken by the page's clock when the next is due.
    function pump(view) {
      const wait = call(view, '_linesaver_run_due');
      if (wait >= 0 && view.session) view.timer = setTimeout(pump, wait, view);
    }

    function addCanvas(parent, cssWidth, cssHeight) {
      const canvas = document.createElement('canvas');
      canvas.style.width = cssWidth + 'px';
      canvas.style.height = cssHeight + 'px';
      parent.appendChild(canvas);
      return canvas;
    }

    const ratio = window.devicePixelRatio || 1;

    if (parameters.ticks !== undefined) {
      // A fixed number of ticks at once, for tests: no clock, no input.
      root.dataset.view = 'frame';
      const size = parameters.size || { width: innerWidth, height: innerHeight };
      const canvas = addCanvas(stage, size.width / ratio, size.height / ratio);
      const view = openView(0, canvas, size.width, size.height, size.width, size.height, 1,
        parameters.pattern);
      call(view, '_linesaver_run_ticks', parameters.ticks);
      setState('done');
      return;
    }
    if (parameters.gallery) {
      root.dataset.view = 'gallery';
      const grid = document.createElement('div');
      grid.className = 'gallery';
      stage.appendChild(grid);
      const count = module._linesaver_pattern_count();
      for (let n = 1; n <= count; ++n) {
        const cell = document.createElement('figure');
        cell.dataset.pattern = String(n);
        const canvas = addCanvas(cell, kCell.width, kCell.height);
        const caption = document.createElement('figcaption');
        caption.textContent = String(n);
        cell.appendChild(caption);
        grid.appendChild(cell);
        const view = openView(n, canvas, Math.round(kCell.width * ratio), Math.round(kCell.height * ratio),
          kCell.screenWidth, kCell.screenHeight, ratio, n);
        pump(view);
      }
      setState('running');
      return;
    }
    if (parameters.pattern !== undefined) {
      // One pattern on a loop, in the window; input does not end it.
      root.dataset.view = 'pattern';
      const canvas = addCanvas(stage, innerWidth, innerHeight);
      pump(openView(0, canvas, Math.round(innerWidth * ratio), Math.round(innerHeight * ratio),
        innerWidth, innerHeight, ratio, parameters.pattern));
      setState('running');
      return;
    }
    saverPage();

    // The saver: the start page, full screen, the animation and its music
    // until the user returns, then the start page again. A click anywhere
    // on the start page or a key starts it; so does its button, for
    // keyboards and screen readers.
    async function saverPage() {
      let view = null;
      let audio = null; // the audio context made by the starting gesture
      const starters = [];
      const tracks = parameters.music === false ? [] : await LinesaverMusic.trackNames();

      function listen(target, type, handler) {
        target.addEventListener(type, handler);
        starters.push(() => target.removeEventListener(type, handler));
      }

      function showStart() {
        root.dataset.view = 'start';
        stage.replaceChildren();
        setState('start');
        startButton.disabled = false;
        startButton.focus();
      }

      function start() {
        if (view || startButton.disabled) return; // running, or on its way
        startButton.disabled = true;
        // Browsers let a page make sound only from the user's gesture.
        if (tracks.length && !audio) {
          try { audio = new AudioContext(); } catch (e) { audio = null; }
        }
        const begin = () => {
          document.removeEventListener('fullscreenchange', begin);
          if (!view) beginSaver();
        };
        document.addEventListener('fullscreenchange', begin);
        // Without full screen the saver still runs, in the window.
        const request = root.requestFullscreen ? root.requestFullscreen() : Promise.reject();
        request.catch(begin);
      }

      function beginSaver() {
        root.dataset.view = 'saver';
        const cssWidth = innerWidth;
        const cssHeight = innerHeight;
        const canvas = addCanvas(stage, cssWidth, cssHeight);
        if (audio) module.linesaverMusic = LinesaverMusic.player(module, audio, tracks);
        try {
          view = openView(0, canvas, Math.round(cssWidth * ratio), Math.round(cssHeight * ratio), cssWidth,
            cssHeight, ratio, parameters.pattern, audio ? tracks : []);
        } catch (error) {
          notice('linesaver could not start: ' + error.message);
          ended();
          return;
        }
        if (!view.session) { ended(); return; } // left during its start-up
        view.onLeft = ended;
        const deliver = (name, ...args) => (event) => {
          if (event.repeat) return;
          call(view, name, ...args.map((f) => f(event)));
        };
        listen(document, 'mousemove', deliver('_linesaver_pointer', (e) => e.clientX, (e) => e.clientY));
        listen(document, 'mousedown', deliver('_linesaver_click'));
        listen(document, 'keydown', deliver('_linesaver_key'));
        listen(document, 'fullscreenchange', () => {
          if (!document.fullscreenElement) call(view, '_linesaver_close');
        });
        setState('running');
        pump(view);
      }

      function stopMusic() {
        if (module.linesaverMusic) module.linesaverMusic.end();
        delete module.linesaverMusic;
        audio = null;
      }

      function ended() {
        while (starters.length) starters.pop()();
        view = null;
        stopMusic();
        if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
        showStart();
      }

      // Registered before the saver's own listeners: the press or key that
      // ends a saver finds it still running here, and starts none.
      const onStartPage = () => !view && root.dataset.state === 'start';
      startButton.addEventListener('click', start);
      document.addEventListener('mousedown', () => { if (onStartPage()) start(); });
      document.addEventListener('keydown', (event) => {
        if (onStartPage() && !event.repeat && event.target !== startButton) start();
      });
      showStart();
    }
  }
})();
