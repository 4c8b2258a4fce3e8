// Appended to the engine module's script: one engine shared by the page, its calls in plain
// JavaScript, and the <lanterna-slide> element.
(function () {
  'use strict';

  // ---- member names ---------------------------------------------------------------------------
  // A library stores each member's name as bytes in the code page of the system that wrote it
  // (Big5, GBK, Windows-1252...): they are kept as such (a Uint8Array) to open the member, and
  // decoded only to be shown.

  const utf8 = new TextEncoder();
  // A leading EF BB BF is part of a name, not a byte order mark.
  const strictUtf8 = new TextDecoder('utf-8', {fatal: true, ignoreBOM: true});

  // The decoder of a code page label (the browser's TextDecoder names), null when unknown.
  function decoderFor(codePage) {
    try {
      return codePage ? new TextDecoder(codePage, {ignoreBOM: true}) : null;
    } catch (e) {
      if (e instanceof RangeError) return null;
      throw e;
    }
  }

  // A name as text: with the code page's decoder, else UTF-8 where the bytes are valid UTF-8 and
  // Windows-1252 otherwise. A byte the code page does not define shows as U+FFFD.
  function decodeName(bytes, codePage) {
    let decoder = decoderFor(codePage);
    if (!decoder) {
      try {
        return strictUtf8.decode(bytes);
      } catch (e) {
        decoder = new TextDecoder('windows-1252');
      }
    }
    const text = decoder.decode(bytes);
    // The browsers' Windows-1252 gives the five bytes it leaves undefined as C1 controls.
    return decoder.encoding === 'windows-1252' ? text.replace(/[\x81\x8d\x8f\x90\x9d]/g, '\ufffd') : text;
  }

  function sameBytes(a, b) {
    return a.length === b.length && a.every((x, i) => x === b[i]);
  }

  // The stored name that text typed by someone names: the name whose bytes are the text's
  // UTF-8, else one whose decoded name equals the text (ASCII letters in either case when the
  // name is all ASCII, as the engine compares such names); null for none.
  function findMember(names, text, codePage) {
    const bytes = utf8.encode(text);
    const exact = names.find((n) => sameBytes(n, bytes));
    if (exact) return exact;
    const upper = (s) => s.replace(/[a-z]/g, (c) => c.toUpperCase());
    return names.find((n) => {
      const shown = decodeName(n, codePage);
      return shown === text || (n.every((b) => b < 0x80) && upper(shown) === upper(text));
    }) || null;
  }

  // A member as the engine's calls take it: text (stored as its UTF-8), stored bytes (shown
  // decoded by default) or {bytes, text}; {bytes, text}.
  function memberName(member, codePage) {
    if (!member) return {bytes: new Uint8Array(0), text: ''};
    if (typeof member === 'string') return {bytes: utf8.encode(member), text: member};
    if (member instanceof Uint8Array) return {bytes: member, text: decodeName(member, codePage)};
    return member;
  }

  // ---- the engine -------------------------------------------------------------------------------

  // The engine's calls over the module: strings in and out, pictures copied out as RGBA. A
  // member is given as memberName takes it.
  class Engine {
    constructor(module) {
      this.m = module;
    }

    // Calls fn with the strings (or bytes) copied into the module's memory with a NUL after
    // each, freed afterwards.
    withStrings(strings, fn) {
      const m = this.m;
      const pointers = strings.map((s) => {
        const bytes = typeof s === 'string' ? utf8.encode(s) : s;
        const p = m._malloc(bytes.length + 1);
        m.HEAPU8.set(bytes, p);
        m.HEAPU8[p + bytes.length] = 0;
        return p;
      });
      try {
        return fn(...pointers);
      } finally {
        pointers.forEach((p) => m._free(p));
      }
    }
    // withStrings for a call on a member: its stored bytes and its text for messages first.
    withMember(member, shown, fn) {
      const {bytes, text} = memberName(member);
      return this.withStrings([bytes, text, shown], fn);
    }

    // Keeps a slide's bytes; its id (0 when it cannot be kept).
    open(bytes) {
      const m = this.m;
      const p = m._malloc(Math.max(1, bytes.length));
      m.HEAPU8.set(bytes, p);
      const id = m._lw_open(p, bytes.length);
      m._free(p);
      return id;
    }
    close(id) {
      this.m._lw_close(id);
    }
    // 1 slide, 2 library, 3 rendering slide: from the file's first bytes.
    kind(id) {
      return this.m._lw_kind(id);
    }

    text() {
      return this.m.UTF8ToString(this.m._lw_text());
    }
    message() {
      return this.m.UTF8ToString(this.m._lw_message());
    }
    // The last picture as RGBA; a view of the engine's memory (valid until its next call)
    // rather than a copy when asked, for pictures shown at once.
    picture(view = false) {
      const m = this.m;
      const width = m._lw_width(), height = m._lw_height();
      if (!width || !height) return null;
      const p = m._lw_pixels(), size = width * height * 4;
      const data = view ? new Uint8ClampedArray(m.HEAPU8.buffer, p, size)
                        : new Uint8ClampedArray(m.HEAPU8.slice(p, p + size).buffer);
      return {width, height, data};
    }

    // A library's member names as stored (Uint8Arrays), in directory order: {names, message}.
    members(id, shown) {
      const m = this.m;
      const ok = this.withStrings([shown], (s) => m._lw_members(id, s));
      const p = m._lw_text(), listing = m.HEAPU8.slice(p, p + m._lw_text_length());
      const names = [];
      for (let at = 0, end; (end = listing.indexOf(0, at)) >= 0; at = end + 1) names.push(listing.slice(at, end));
      return {names, message: ok ? '' : this.message()};
    }

    // The whole picture at once, as lanterna-cli render draws it: {picture, message}. A size of
    // 0 x 0 is the slide's own.
    draw(id, member, shown, width, height, zoom = 1, panX = 0, panY = 0) {
      const ok = this.withMember(member, shown, (mb, l, s) =>
        this.m._lw_draw(id, mb, l, s, width, height, zoom, panX, panY));
      return {picture: ok ? this.picture() : null, message: this.message()};
    }

    // A drawing carried on piece by piece by step(): {drawing} or {drawing: 0, message}.
    begin(id, member, shown, width, height, zoom = 1, panX = 0, panY = 0) {
      const drawing = this.withMember(member, shown, (mb, l, s) =>
        this.m._lw_begin(id, mb, l, s, width, height, zoom, panX, panY));
      return {drawing, message: drawing ? '' : this.message()};
    }
    // Draws on for about budget milliseconds, or up to long while the browser says no input
    // waits: {more, picture, message}; the picture is a view of the engine's memory when asked
    // (see picture()). The picture so far comes with each step unless partial is false: then
    // only the whole one, at the end.
    step(drawing, budget, {view = false, partial = true, long = 0} = {}) {
      const state = this.m._lw_step(drawing, budget, long, partial ? 1 : 0);
      return {more: state === 1, picture: state >= 0 ? this.picture(view) : null, message: this.message()};
    }
    end(drawing) {
      this.m._lw_end(drawing);
    }

    // The picture's own size, [width, height], or null with the message in message().
    size(id, member, shown) {
      const ok = this.withMember(member, shown, (mb, l, s) => this.m._lw_size(id, mb, l, s));
      return ok ? this.text().split(' ').map(Number) : null;
    }

    // The information report, or null when the slide cannot be read.
    report(id, member, shown) {
      const ok = this.withMember(member, shown, (mb, l, s) => this.m._lw_report(id, mb, l, s));
      return ok ? this.text() : null;
    }
    // The SVG and DXF writers': {text, message}.
    svg(id, member, shown) {
      const ok = this.withMember(member, shown, (mb, l, s) => this.m._lw_svg(id, mb, l, s));
      return {text: ok ? this.text() : null, message: this.message()};
    }
    dxf(id, member, shown, polylines = false) {
      const ok = this.withMember(member, shown, (mb, l, s) =>
        this.m._lw_dxf(id, mb, l, s, polylines ? 1 : 0));
      return {text: ok ? this.text() : null, message: this.message()};
    }
  }

  const kLibrary = 2;
  const inBrowser = typeof document !== 'undefined';

  // Where this script came from: the .wasm is beside it, whatever page loads it. A module script
  // has no currentScript; the stack of an error made here names the file.
  const scriptUrl = (() => {
    if (!inBrowser) return '';
    if (document.currentScript && document.currentScript.src) return document.currentScript.src;
    const m = /(?:https?|file):\/\/[^\s()]*?\.js/.exec(new Error().stack || '');
    return m ? m[0] : document.baseURI;
  })();

  // An error whose message is said as it is, not after the slide's name.
  function whole(message) {
    const e = new Error(message);
    e.whole = true;
    return e;
  }

  function loadScript(url) {
    return new Promise((resolve, reject) => {
      const s = document.createElement('script');
      s.src = url;
      s.onload = resolve;
      s.onerror = reject;
      document.head.append(s);
    });
  }

  // The module's bytes. A page opened from file:// cannot fetch them: lanterna-slide-wasm.js
  // holds the same bytes as a script, which it can load.
  async function wasmBytes() {
    const url = new URL('lanterna-slide.wasm', scriptUrl).href;
    if (!globalThis.LanternaWasm && url.startsWith('file:')) {
      await loadScript(new URL('lanterna-slide-wasm.js', scriptUrl).href).catch(() => {
        throw whole(`${url}: a page opened from a file cannot load the engine without ` +
          'lanterna-slide-wasm.js beside it; serve the folder over HTTP (make web-serve)');
      });
    }
    if (typeof globalThis.LanternaWasm === 'string') {
      const text = atob(globalThis.LanternaWasm), bytes = new Uint8Array(text.length);
      for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
      return bytes;
    }
    let response;
    try {
      response = await fetch(url);
    } catch (e) {
      throw whole(`${url}: cannot load the engine (${e.message})`);
    }
    if (!response.ok) throw whole(`${url}: cannot load the engine (HTTP ${response.status})`);
    return response.arrayBuffer();
  }

  let shared = null;
  // The one engine of the page, made on first use; rejects with why it cannot be loaded.
  function engine() {
    if (shared) return shared;
    // Under node the module is read from beside this script.
    const node = typeof process === 'object' && process.versions && process.versions.node;
    if (node) {
      const wasmBinary = require('fs').readFileSync(__dirname + '/lanterna-slide.wasm');
      shared = LanternaEngine({wasmBinary}).then((module) => new Engine(module));
      return shared;
    }
    shared = new Promise((resolve, reject) => {
      LanternaEngine({
        instantiateWasm(imports, receive) {
          wasmBytes().then((bytes) => WebAssembly.instantiate(bytes, imports))
              .then((r) => receive(r.instance, r.module), (e) => reject(e.whole ? e : whole(String(e))));
          return {};
        },
      }).then((module) => resolve(new Engine(module)), (e) => reject(whole(String(e))));
    });
    return shared;
  }

  // Every drawing of the page goes through one queue, a few milliseconds of it per task, so
  // that no task runs long whatever the number of pictures drawn. onPicture gets each picture so
  // far, to be shown at once (a view of the engine's memory), or with partial false only the
  // whole one; a drawing no longer current is ended; its second argument says whether the
  // picture is whole. Resolves with the last step's result, or null when it was ended. urgent:
  // before the drawings waiting (the picture someone is looking at).
  // A drawing that shows only its whole picture has nothing to show meanwhile: once a frame has
  // been shown since it began (the page's picture as it stands), its task runs on up to
  // kLongTaskMs while the browser says no input is waiting. Every slice's end costs a copy of
  // the whole picture in the engine: at a device pixel ratio of 2, 8 ms slices drew a zoom step
  // of the benchmark slides in half again the time of one slice.
  const kSliceMs = 8;
  const kLongTaskMs = 48;
  const queue = [];
  let turnAsked = false;
  // (Under node a port would keep the process alive: timers there.)
  const channel = inBrowser && typeof MessageChannel !== 'undefined' ? new MessageChannel() : null;
  function askTurn() {
    if (turnAsked) return;
    turnAsked = true;
    if (channel) channel.port2.postMessage(0);
    else setTimeout(turn, 0);
  }
  function settle(job, result) {
    if (job.drawing) job.eng.end(job.drawing);
    queue.splice(queue.indexOf(job), 1);
    job.resolve(result);
  }
  function turn() {
    turnAsked = false;
    const start = performance.now(), end = start + kSliceMs;
    while (queue.length) {
      const job = queue[0];
      if (!job.isCurrent()) {
        settle(job, null);
        continue;
      }
      if (!job.drawing) {
        const begun = job.eng.begin(...job.args);
        if (!begun.drawing) {
          settle(job, {picture: null, message: begun.message});
          continue;
        }
        job.drawing = begun.drawing;
      }
      const now = performance.now();
      const long = job.partial || !job.framed ? 0 : start + kLongTaskMs - now;
      const r = job.eng.step(job.drawing, Math.max(0, end - now), {view: true, partial: job.partial, long});
      try {
        if (r.picture) job.onPicture(r.picture, !r.more);
      } catch (e) {
        console.error(e);
      }
      if (!r.more) settle(job, r);
      if (performance.now() >= end) break;
    }
    if (queue.length) askTurn();
  }
  if (channel) channel.port1.onmessage = turn;
  function drawInSlices(eng, args, onPicture, isCurrent, {urgent = false, partial = true} = {}) {
    return new Promise((resolve) => {
      const job = {eng, args, onPicture, isCurrent, resolve, partial, drawing: 0, framed: false};
      if (!partial && typeof requestAnimationFrame === 'function') requestAnimationFrame(() => (job.framed = true));
      if (urgent) queue.unshift(job);
      else queue.push(job);
      askTurn();
    });
  }

  // One fetch and one copy in the engine per file URL, shared by everything on the page that
  // shows it and kept while anything does: {url, users, ready -> {eng, id, kind, names}}.
  const files = new Map();
  async function fetchBytes(url) {
    let response;
    try {
      response = await fetch(url);
    } catch (e) {
      throw new Error('cannot open (the server cannot be reached, or refuses this page: cross-origin)');
    }
    if (!response.ok) throw new Error(`cannot open (HTTP ${response.status})`);
    return new Uint8Array(await response.arrayBuffer());
  }
  async function openUrl(url) {
    const [eng, bytes] = await Promise.all([engine(), fetchBytes(url)]);
    const id = eng.open(bytes);
    if (!id) throw new Error('cannot open');
    const kind = eng.kind(id);
    return {eng, id, kind, names: kind === kLibrary ? eng.members(id, url).names : null};
  }
  function acquireFile(url) {
    let file = files.get(url);
    if (!file) {
      file = {url, users: 0, ready: openUrl(url)};
      files.set(url, file);
      // A file that could not be had is asked for again next time.
      file.ready.catch(() => {
        file.failed = true;
        if (files.get(url) === file) files.delete(url);
      });
    }
    ++file.users;
    return file;
  }
  function releaseFile(file) {
    if (--file.users > 0) return;
    if (files.get(file.url) === file) files.delete(file.url);
    file.ready.then((f) => f.eng.close(f.id), () => {});
  }

  const api = {engine, drawInSlices, Engine, decodeName, findMember, memberName, acquireFile, releaseFile};

  if (typeof HTMLElement !== 'undefined' && typeof customElements !== 'undefined') {
    // The failure message covers the element's box; a canvas that failed is cleared and hidden
    // (visibility keeps its box measured). The host is 300 x 150 unless its attributes or the
    // page's CSS size it.
    const kStyle = ':host{display:inline-block;position:relative;width:300px;height:150px;padding:0;' +
      'border:0;line-height:0;overflow:hidden}:host([hidden]){display:none}canvas{display:block;width:100%;height:100%}' +
      'canvas.off{visibility:hidden}div{position:absolute;inset:0;box-sizing:border-box;padding:4px 6px;' +
      'overflow:auto;font:13px sans-serif;line-height:1.3;white-space:pre-wrap;color:#8a1c1c;' +
      'background:#fff6f2;border:1px solid #e3b5a8}div[hidden]{display:none}';

    // <lanterna-slide src="URL" width="W" height="H" member="NAME" names="CODEPAGE"
    // loading="lazy">: the picture lanterna-cli render draws at the element's size in device
    // pixels. Without width and height the element follows its CSS box; with one of them the
    // other follows the picture's own aspect. names is the code page of the library's member
    // names (a TextDecoder label such as big5, gbk or windows-1252), which member is matched
    // against (see findMember). load or error is fired when the drawing asked for is done.
    // The elements on the page, measured again when the screen's pixel ratio changes (a window
    // moved to another screen, the page zoomed): not every browser tells their observers.
    const connected = new Set();
    const watchRatio = () => {
      matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
        for (const e of connected) e.measure();
        watchRatio();
      }, {once: true});
    };
    watchRatio();

    class LanternaSlideElement extends HTMLElement {
      static get observedAttributes() {
        return ['src', 'member', 'width', 'height', 'names', 'loading', 'title'];
      }
      constructor() {
        super();
        this.generation = 0;
        this.drawings = 0;
        this.file = null;  // the shared file of src, while the element shows it
        this.shown = null;  // what is to be drawn: {file, member, src, generation}
        this.device = null;  // the canvas's box in device pixels, [width, height]
        this.near = false;  // loading="lazy": near enough the viewport to be drawn
        const root = this.attachShadow({mode: 'open'});
        root.innerHTML = `<style>${kStyle}</style><style></style>` +
          '<canvas class="off" role="img"></canvas><div hidden role="alert"></div>';
        this.sizeStyle = root.querySelectorAll('style')[1];
        this.canvas = root.querySelector('canvas');
        this.note = root.querySelector('div');
        this.sizer = new ResizeObserver((entries) => this.resized(entries[entries.length - 1]));
      }
      connectedCallback() {
        // Properties a page set before this script defined the element hide the accessors.
        for (const name of ['src', 'member', 'names', 'loading']) {
          if (!Object.prototype.hasOwnProperty.call(this, name)) continue;
          const value = this[name];
          delete this[name];
          this[name] = value;
        }
        connected.add(this);
        this.measure();
        this.refresh();
      }
      disconnectedCallback() {
        connected.delete(this);
        this.sizer.disconnect();
        if (this.watcher) this.watcher.disconnect();
        ++this.generation;
        this.setFile(null);
      }
      attributeChangedCallback(name, old, value) {
        if (old === value || !this.isConnected) return;
        if (name === 'title') this.label();
        else this.refresh();
      }

      get src() {
        const v = this.getAttribute('src');
        return v === null ? '' : new URL(v, document.baseURI).href;
      }
      set src(v) {
        this.setAttribute('src', v);
      }
      get member() {
        return this.getAttribute('member') || '';
      }
      set member(v) {
        this.setAttribute('member', v);
      }
      get names() {
        return this.getAttribute('names') || '';
      }
      set names(v) {
        this.setAttribute('names', v);
      }
      get loading() {
        return this.lazy ? 'lazy' : 'eager';
      }
      set loading(v) {
        this.setAttribute('loading', v);
      }
      get lazy() {
        return this.getAttribute('loading') === 'lazy';
      }
      // Whether the last drawing asked for has finished ('drawn' or 'failed').
      get state() {
        return this.getAttribute('data-state') || '';
      }

      side(name) {
        return Math.max(0, parseInt(this.getAttribute(name) || '0', 10) || 0);
      }
      setFile(file) {
        if (this.file) releaseFile(this.file);
        this.file = file;
      }
      // The picture's name for assistive technology: the author's title, else the file's.
      label() {
        const src = this.getAttribute('src') || '';
        const name = src.replace(/[?#].*$/, '').split('/').pop() + (this.member ? `, ${this.member}` : '');
        this.canvas.setAttribute('aria-label', this.getAttribute('title') || name || 'slide');
      }
      // The host's size from the attributes: both, one (the other from the picture's aspect,
      // given as own = [width, height]) or none (the page's CSS).
      setSize(own) {
        let w = this.side('width'), h = this.side('height');
        if (own && w && !h) h = Math.max(1, Math.round(w * own[1] / own[0]));
        if (own && h && !w) w = Math.max(1, Math.round(h * own[0] / own[1]));
        const css = (w ? `width:${w}px;` : '') + (h ? `height:${h}px;` : '');
        const text = css ? `:host{${css}}` : '';
        if (this.sizeStyle.textContent !== text) this.sizeStyle.textContent = text;
      }

      refresh() {
        const generation = ++this.generation;
        queueMicrotask(() => {
          if (generation === this.generation && this.isConnected) this.load(generation);
        });
      }
      async load(generation) {
        this.shown = null;
        this.label();
        // With one side given, the other keeps its last size until the picture's is known.
        const oneSide = !this.side('width') !== !this.side('height');
        if (!oneSide || !this.sizeStyle.textContent) this.setSize(null);
        if (this.lazy && !this.near && this.watch()) {
          this.setAttribute('data-state', 'waiting');
          return;
        }
        this.setAttribute('data-state', 'loading');
        const src = this.getAttribute('src');
        if (!src) {
          this.setFile(null);
          this.fail('no slide: the element has no src');
          return;
        }
        const url = new URL(src, document.baseURI).href;
        if (!this.file || this.file.url !== url || this.file.failed) this.setFile(acquireFile(url));
        let file;
        try {
          file = await this.file.ready;
        } catch (e) {
          if (generation === this.generation) this.fail(e.whole ? e.message : `${src}: ${e.message}`);
          return;
        }
        if (generation !== this.generation) return;
        let member = this.member;
        if (member && file.names) {
          const codePage = this.names;
          const stored = findMember(file.names, member, codePage);
          if (stored) member = {bytes: stored, text: decodeName(stored, codePage)};
        }
        if (!this.side('width') !== !this.side('height')) {
          const own = file.eng.size(file.id, member, src);
          if (!own) {
            this.fail(file.eng.message());
            return;
          }
          this.setSize(own);
        }
        this.shown = {file, member, src, generation};
        this.draw();
      }
      // The canvas's box in device pixels comes to resized(), now and whenever it changes.
      measure() {
        this.sizer.disconnect();
        try {
          this.sizer.observe(this.canvas, {box: 'device-pixel-content-box'});
        } catch (e) {
          this.sizer.observe(this.canvas);
        }
      }
      // loading="lazy": loads again once near the viewport; false when that cannot be told.
      watch() {
        if (typeof IntersectionObserver === 'undefined') return false;
        if (!this.watcher) {
          this.watcher = new IntersectionObserver((entries) => {
            if (this.near || !entries.some((e) => e.isIntersecting)) return;
            this.near = true;
            this.watcher.disconnect();
            this.refresh();
          }, {rootMargin: '300px'});
        }
        this.watcher.observe(this);
        return true;
      }
      resized(entry) {
        let w, h;
        if (entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0]) {
          w = entry.devicePixelContentBoxSize[0].inlineSize;
          h = entry.devicePixelContentBoxSize[0].blockSize;
        } else {
          const ratio = window.devicePixelRatio || 1;
          w = Math.round(entry.contentRect.width * ratio);
          h = Math.round(entry.contentRect.height * ratio);
        }
        if (this.device && this.device[0] === w && this.device[1] === h) return;
        this.device = [w, h];
        this.draw();
      }
      // Draws what is shown at the canvas's device size, once both are known.
      draw() {
        const shown = this.shown;
        if (!shown || shown.generation !== this.generation || !this.device) return;
        const [w, h] = this.device;
        if (!w || !h) return;  // not displayed
        const drawing = ++this.drawings;
        const current = () => drawing === this.drawings && shown.generation === this.generation && this.isConnected;
        const canvas = this.canvas, context = canvas.getContext('2d');
        // A picture smaller than the canvas (a rendering slide's margin) is put at its top-left
        // corner on white, as a slide window shows it.
        const show = (picture) => {
          if (canvas.width !== w || canvas.height !== h) {
            canvas.width = w;
            canvas.height = h;
          }
          if (picture.width < w || picture.height < h) {
            context.fillStyle = '#fff';
            context.fillRect(0, 0, w, h);
          }
          context.putImageData(new ImageData(picture.data, picture.width, picture.height), 0, 0);
          this.note.hidden = true;
          canvas.classList.remove('off');
        };
        const {file, member, src} = shown;
        drawInSlices(file.eng, [file.id, member, src, w, h], show, current).then((r) => {
          if (!r) return;
          if (!r.picture) {
            this.fail(r.message);
            return;
          }
          if (r.message) canvas.title = r.message;
          else canvas.removeAttribute('title');
          this.setAttribute('data-state', 'drawn');
          this.dispatchEvent(new Event('load'));
        });
      }
      fail(message) {
        ++this.drawings;
        this.shown = null;
        this.canvas.getContext('2d').clearRect(0, 0, this.canvas.width, this.canvas.height);
        this.canvas.classList.add('off');
        this.note.textContent = message;
        this.note.hidden = false;
        this.setAttribute('data-state', 'failed');
        this.dispatchEvent(new Event('error'));
      }
    }
    if (!customElements.get('lanterna-slide')) customElements.define('lanterna-slide', LanternaSlideElement);
    globalThis.LanternaSlide = api;
  } else if (typeof module === 'object' && module.exports) {
    module.exports = api;
  }
})();
