// The viewer page: open a slide by the Open button, a drop, ?src=URL or the system's file
// manager (an installed web app's file handler); a library as a grid of its members'
// miniatures, their names decoded in the code page chosen (?names=CODEPAGE or the Names list);
// zoom, pan, the whole slide again; the information report; downloads. Everything is drawn in
// the page by the engine of lanterna-slide.js.
'use strict';
(function () {
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas'), grid = $('grid'), view = $('view');
  const kMaxZoom = 15;
  const kLibrary = 2;
  const kWheelStep = 100;  // wheel delta (pixels) of one zoom step: a mouse wheel's notch
  const state = {
    // member: '' or {bytes, text}, its stored name and that decoded. url: where the file came
    // from, '' for a local file.
    eng: null, id: 0, name: '', url: '', member: '', library: false, codePage: '',
    zoom: 1, panX: 0, panY: 0, generation: 0, opened: 0, failed: false,
    black: localStorage.getItem('lanterna-black') === '1',
    // The view the canvas's picture was drawn for, null when it holds none; the zoom wheel and
    // pinch gestures ask for (a zoom between steps).
    shown: null, wanted: 1, drawn: Promise.resolve(),
  };

  async function engine() {
    if (!state.eng) state.eng = await LanternaSlide.engine();
    return state.eng;
  }

  function say(message) {
    $('message').textContent = message || '';
    $('message').hidden = !message;
  }

  function shownName() {
    return state.member ? `${state.name},${state.member.text}` : state.name;
  }

  function enable() {
    const slide = !!state.id && !canvas.hidden && !state.failed;
    for (const b of ['zoom-out', 'zoom-in', 'home', 'png', 'svg', 'dxf']) $(b).disabled = !slide;
    $('zoom-out').disabled ||= state.zoom <= 1;
    $('zoom-in').disabled ||= state.zoom >= kMaxZoom;
    $('library').hidden = !(state.library && !canvas.hidden);
    view.classList.toggle('slide', !canvas.hidden);
    $('zoom').textContent = state.zoom;
  }

  // The page's title and address follow the file and member; a new place is a history entry
  // (the back button goes from a member to its library) unless replace.
  function place(replace) {
    const name = shownName();
    $('title').textContent = name;
    document.title = name ? `${name} – Lanterna` : 'Lanterna';
    canvas.setAttribute('aria-label', name || 'Slide');
    const query = new URLSearchParams();
    if (state.url) query.set('src', state.url);
    if (state.member) query.set('member', state.member.text);
    if (state.codePage) query.set('names', state.codePage);
    const address = new URL(query.toString() ? `?${query}` : location.pathname, location.href).href;
    const entry = {src: state.url, member: state.member ? state.member.text : ''};
    if (replace) history.replaceState(entry, '', address);
    else if (address !== location.href) history.pushState(entry, '', address);
  }

  // ---- opening ------------------------------------------------------------------------------

  async function openBytes(bytes, name, member = '', url = '', replace = false) {
    const started = performance.now();
    let eng;
    try {
      eng = await engine();
    } catch (e) {
      say(e.message);
      document.body.dataset.state = 'failed';
      return;
    }
    if (state.id) eng.close(state.id);
    ++state.generation;
    say('');
    state.id = eng.open(bytes);
    state.name = name;
    state.url = url;
    state.member = '';
    state.listing = null;
    state.opened = started;
    state.shown = null;
    $('hint').hidden = true;
    if (!state.id) {
      place(replace);
      say(`${name}: cannot open`);
      document.body.dataset.state = 'failed';
      return;
    }
    state.library = eng.kind(state.id) === kLibrary;
    if (state.library) {
      // The copy of a big library into the engine takes a while: its listing comes in the next task.
      const generation = state.generation;
      await nextTask();
      if (generation !== state.generation) return;
    }
    if (state.library && member) showSlide(named(member), replace);
    else if (state.library) showLibrary(replace);
    else showSlide('', replace);
  }

  async function openUrl(url, member, replace) {
    let bytes;
    try {
      const response = await fetch(url);
      if (!response.ok) throw new Error(`HTTP ${response.status}`);
      bytes = new Uint8Array(await response.arrayBuffer());
    } catch (e) {
      say(location.protocol === 'file:'
        ? `${url}: a page opened from a file cannot fetch others; use Open… or drop the file here`
        : `${url}: cannot open (${e.message})`);
      document.body.dataset.state = 'failed';
      return;
    }
    await openBytes(bytes, url, member, url, replace);
  }

  function openFile(file) {
    if (!file) return;
    file.arrayBuffer().then((b) => openBytes(new Uint8Array(b), file.name), () => say(`${file.name}: cannot open`));
  }

  // ---- pictures -------------------------------------------------------------------------------

  // On black, as a drawing editor shows slides: the white ground black and black lines white.
  function onBlack(data) {
    const pixels = new Uint32Array(data.buffer, data.byteOffset, data.length >> 2);
    for (let i = 0; i < pixels.length; ++i) {
      if (pixels[i] === 0xffffffff) pixels[i] = 0xff000000;
      else if (pixels[i] === 0xff000000) pixels[i] = 0xffffffff;
    }
  }

  // A picture into a canvas of its size, or of the size given: a smaller picture (a rendering
  // slide's keeps a margin) at its top-left corner on the slide's ground, as a slide window
  // shows it.
  function put(target, picture, width = picture.width, height = picture.height) {
    if (state.black) onBlack(picture.data);
    if (target.width !== width || target.height !== height) {
      target.width = width;
      target.height = height;
    }
    const context = target.getContext('2d');
    if (picture.width < width || picture.height < height) {
      context.fillStyle = state.black ? '#000' : '#fff';
      context.fillRect(0, 0, width, height);
    }
    context.putImageData(new ImageData(picture.data, picture.width, picture.height), 0, 0);
  }

  // ---- a library: its members' miniatures -----------------------------------------------------

  function decoded(bytes) {
    return {bytes, text: LanternaSlide.decodeName(bytes, state.codePage)};
  }

  // The member a typed name stands for; the name itself when none does (the engine says so).
  function named(text) {
    const stored = LanternaSlide.findMember(listing().names, text, state.codePage);
    return stored ? decoded(stored) : LanternaSlide.memberName(text);
  }

  function showReport(text, caption) {
    const table = $('report');
    table.textContent = '';
    if (caption) table.createCaption().textContent = caption;
    for (const line of text.split('\n')) {
      if (!line.trim() || /^_+$/.test(line.trim())) continue;
      const row = table.insertRow(), th = document.createElement('th');
      th.scope = 'row';
      row.append(th);
      const pair = /^(.*?):?\t+(.*)$/.exec(line);
      if (pair) {
        th.textContent = pair[1];
        row.insertCell().textContent = pair[2];
      } else {
        th.colSpan = 2;
        th.textContent = line;
        row.className = 'section';
      }
    }
  }

  // The library's member names as stored, listed once per file opened: {names, message}.
  function listing() {
    if (!state.listing) state.listing = state.eng.members(state.id, state.name);
    return state.listing;
  }

  const kFiguresPerTask = 16;
  const nextTask = () => new Promise((resolve) => setTimeout(resolve, 0));

  // The grid is made a few dozen miniatures per task, and each goes to the engine's queue,
  // which draws a few milliseconds at a time: no task of the page runs long.
  async function showLibrary(replace) {
    const eng = state.eng;
    const generation = ++state.generation;
    state.member = '';
    state.shown = null;
    canvas.hidden = true;
    grid.hidden = false;
    grid.textContent = '';
    // Listing a big library takes a while: the grid comes in the next task.
    const {names: stored, message} = listing();
    await nextTask();
    if (generation !== state.generation) return;
    const names = stored.map(decoded);
    state.figures = names;
    say(message);
    place(replace);
    enable();
    document.body.dataset.state = 'library';
    const ratio = Math.max(1, window.devicePixelRatio || 1);
    const size = [Math.round(160 * ratio), Math.round(120 * ratio)];
    const current = () => generation === state.generation;
    const drawings = [];
    for (let at = 0; at < names.length; at += kFiguresPerTask) {
      if (at) await nextTask();
      if (!current()) return;
      const figures = document.createDocumentFragment();
      names.slice(at, at + kFiguresPerTask).forEach((name, i) => {
        const figure = document.createElement('figure');
        figure.tabIndex = 0;
        figure.dataset.index = at + i;
        figure.setAttribute('role', 'listitem');
        const mini = document.createElement('canvas');
        [mini.width, mini.height] = size;
        mini.setAttribute('role', 'img');
        mini.setAttribute('aria-label', name.text);
        const caption = document.createElement('figcaption');
        caption.textContent = name.text;
        figure.append(mini, caption);
        figures.append(figure);
        drawings.push(LanternaSlide.drawInSlices(eng, [state.id, name, state.name, ...size],
          (picture) => put(mini, picture), current).then((r) => {
          if (r && !r.picture) {
            const p = document.createElement('p');
            p.textContent = r.message;
            mini.replaceWith(p);
          }
          if (r && r.message) figure.title = r.message;
        }));
      });
      grid.append(figures);
    }
    await nextTask();
    if (!current()) return;
    showReport(names.map((n, i) => `${i + 1}\t${n.text}`).join('\n'),
      `${state.name}: slide library, ${names.length} member${names.length === 1 ? '' : 's'}`);
    await Promise.all(drawings);
    if (current()) document.body.dataset.state = 'grid-drawn';
  }

  // A miniature clicked, or Enter or Space on it, opens its member.
  const figureOf = (e) => e.target.closest && e.target.closest('figure[data-index]');
  grid.addEventListener('click', (e) => {
    const figure = figureOf(e);
    if (figure) showSlide(state.figures[figure.dataset.index]);
  });
  grid.addEventListener('keydown', (e) => {
    const figure = figureOf(e);
    if (!figure || (e.key !== 'Enter' && e.key !== ' ')) return;
    e.preventDefault();
    showSlide(state.figures[figure.dataset.index]);
  });

  // ---- one slide ------------------------------------------------------------------------------

  function showSlide(member, replace) {
    state.member = member;
    state.failed = false;
    state.zoom = state.wanted = 1;
    state.panX = state.panY = 0;
    state.shown = null;
    grid.hidden = true;
    canvas.hidden = false;
    canvas.style.transform = '';
    canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
    $('report').textContent = '';
    place(replace);
    enable();
    redraw();
    // The report reads the whole slide: it comes after the first picture (see reportLater).
    const id = state.id;
    state.report = () => {
      if (id === state.id && member === state.member) showReport(state.eng.report(id, member, state.name) || '');
    };
  }

  function reportLater() {
    if (state.report) setTimeout(state.report, 0);
    state.report = null;
  }

  // The view's size in device pixels, as the browser says it when it can (a fractional ratio
  // such as 1.25 rounds each edge, not the size), so that the canvas's pixels are the screen's.
  let viewDevice = null;
  function viewSize() {
    const ratio = Math.max(1, window.devicePixelRatio || 1);
    if (viewDevice && viewDevice[0] && viewDevice[1]) return {ratio, width: viewDevice[0], height: viewDevice[1]};
    const r = view.getBoundingClientRect();
    return {ratio, width: Math.max(1, Math.round(r.width * ratio)), height: Math.max(1, Math.round(r.height * ratio))};
  }

  // The canvas's picture where the view asked for now puts it: scaled and moved, until the new
  // picture is drawn whole.
  function placeShown() {
    const shown = state.shown;
    if (!shown) return;
    const scale = state.zoom / shown.zoom, {ratio} = viewSize();
    const x = (shown.panX * scale - state.panX) / ratio, y = (shown.panY * scale - state.panY) / ratio;
    canvas.style.transform = scale === 1 && !x && !y ? '' : `translate(${x}px, ${y}px) scale(${scale})`;
  }

  // Draws the view anew; a drawing still going on stops at its next slice. A newly opened
  // slide shows as it is drawn; after a zoom or pan the previous picture stays until then.
  function redraw() {
    if (!state.id || canvas.hidden) return;
    const generation = ++state.generation;
    const {width, height} = viewSize();
    const eng = state.eng;
    const asked = {zoom: state.zoom, panX: state.panX, panY: state.panY};
    const keep = !!state.shown;
    let first = true, finished;
    state.drawn = new Promise((resolve) => (finished = resolve));
    document.body.dataset.state = 'drawing';
    placeShown();
    const show = (picture) => {
      put(canvas, picture, width, height);
      canvas.style.transform = '';
      state.shown = asked;
      if (first && state.opened) {
        // How long the first picture of a newly opened slide took, for whoever measures.
        document.body.dataset.firstPicture = Math.round(performance.now() - state.opened);
        document.body.dataset.firstPictureSinceStart = Math.round(performance.now());
        state.opened = 0;
      }
      first = false;
      placeShown();
      reportLater();
    };
    LanternaSlide.drawInSlices(eng, [state.id, state.member, state.name, width, height, state.zoom,
      state.panX, state.panY], show, () => generation === state.generation, {urgent: true, partial: !keep}).then((r) => {
      finished();
      if (!r) return;
      reportLater();
      say(r.message);
      if (!r.picture) {
        canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
        state.shown = null;
      }
      state.failed = !r.picture;
      enable();
      document.body.dataset.drawnSinceStart = Math.round(performance.now());
      document.body.dataset.state = r.picture ? 'drawn' : 'failed';
    });
  }

  // Zoom keeps the point (x, y) of the view (device pixels) where it is. fromWanted: the zoom
  // comes from state.wanted (a wheel or pinch), which keeps its fraction.
  function setZoom(zoom, x, y, fromWanted = false) {
    zoom = Math.min(kMaxZoom, Math.max(1, zoom));
    if (!fromWanted) state.wanted = zoom;
    if (zoom === state.zoom || canvas.hidden) return;
    if (x === undefined) {
      const size = viewSize();
      x = size.width / 2;
      y = size.height / 2;
    }
    state.panX = Math.round((state.panX + x) * zoom / state.zoom - x);
    state.panY = Math.round((state.panY + y) * zoom / state.zoom - y);
    if (zoom === 1) state.panX = state.panY = 0;
    state.zoom = zoom;
    enable();
    redraw();
  }

  // A wheel or pinch asks for a zoom in proportion to its movement; the nearest step is shown.
  function zoomTowards(wanted, x, y) {
    state.wanted = Math.min(kMaxZoom, Math.max(1, wanted));
    setZoom(Math.round(state.wanted), x, y, true);
  }

  function pan(dx, dy) {
    state.panX += Math.round(dx);
    state.panY += Math.round(dy);
    redraw();
  }

  function home() {
    state.zoom = state.wanted = 1;
    state.panX = state.panY = 0;
    enable();
    redraw();
  }

  // ---- downloads ------------------------------------------------------------------------------

  function baseName() {
    const file = state.name.replace(/[?#].*$/, '').split('/').pop().replace(/\.[^.]*$/, '') || 'slide';
    return state.member ? `${file}_${state.member.text}` : file;
  }

  function download(blob, name) {
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  }

  function downloadText(kind, type) {
    const r = state.eng[kind](state.id, state.member, state.name);
    if (r.text === null) {
      say(r.message);
      return;
    }
    download(new Blob([r.text], {type}), `${baseName()}.${kind}`);
  }

  // The view as PNG once its drawing, and any asked for meanwhile, is done.
  async function downloadPng() {
    for (let drawn; drawn !== state.drawn;) await (drawn = state.drawn);
    canvas.toBlob((b) => download(b, `${baseName()}.png`), 'image/png');
  }

  // ---- input ----------------------------------------------------------------------------------

  $('open').addEventListener('click', () => $('pick').click());
  $('pick').addEventListener('change', (e) => {
    openFile(e.target.files[0]);
    e.target.value = '';
  });
  $('library').addEventListener('click', () => showLibrary());
  // Names shown in another code page: the grid again, or the member's title.
  $('names').addEventListener('change', (e) => {
    state.codePage = e.target.value;
    if (!state.library) return;
    if (!grid.hidden) {
      showLibrary(true);
    } else if (state.member) {
      state.member = decoded(state.member.bytes);
      place(true);
    }
  });
  $('black').checked = state.black;
  document.body.classList.toggle('black', state.black);
  $('black').addEventListener('change', (e) => {
    state.black = e.target.checked;
    localStorage.setItem('lanterna-black', state.black ? '1' : '0');
    document.body.classList.toggle('black', state.black);
    if (!grid.hidden) showLibrary(true);
    else redraw();
  });
  $('zoom-in').addEventListener('click', () => setZoom(state.zoom + 1));
  $('zoom-out').addEventListener('click', () => setZoom(state.zoom - 1));
  $('home').addEventListener('click', home);
  $('png').addEventListener('click', downloadPng);
  $('svg').addEventListener('click', () => downloadText('svg', 'image/svg+xml'));
  $('dxf').addEventListener('click', () => downloadText('dxf', 'image/vnd.dxf'));

  document.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.metaKey || e.altKey || e.target instanceof HTMLInputElement ||
        e.target instanceof HTMLSelectElement) return;
    const slide = !canvas.hidden && state.id;
    const {width, height} = viewSize();
    const arrows = {ArrowLeft: [-width / 10, 0], ArrowRight: [width / 10, 0], ArrowUp: [0, -height / 10],
      ArrowDown: [0, height / 10]};
    if (slide && (e.key === '+' || e.key === '=')) setZoom(state.zoom + 1);
    else if (slide && e.key === '-') setZoom(state.zoom - 1);
    else if (slide && e.key === 'Home') home();
    else if (slide && arrows[e.key]) pan(...arrows[e.key]);
    else if (e.key === 'Escape' && state.library && !canvas.hidden) showLibrary();
    else return;
    e.preventDefault();
  });

  // A mouse wheel's notch is a zoom step, a trackpad's small movements a fraction of one; the
  // trackpad's pinch (a wheel with Ctrl) scales the zoom. A sideways wheel does not zoom.
  view.addEventListener('wheel', (e) => {
    if (canvas.hidden) return;
    const unit = e.deltaMode === 1 ? 40 : e.deltaMode === 2 ? 800 : 1;
    const dx = e.deltaX * unit, dy = e.deltaY * unit;
    if (Math.abs(dx) >= Math.abs(dy)) return;
    e.preventDefault();
    const {ratio} = viewSize();
    const r = view.getBoundingClientRect();
    const wanted = e.ctrlKey ? state.wanted * Math.exp(-dy / kWheelStep) : state.wanted - dy / kWheelStep;
    zoomTowards(wanted, (e.clientX - r.left) * ratio, (e.clientY - r.top) * ratio);
  }, {passive: false});

  // One finger or the mouse drags the picture drawn so far, drawn anew where it is let go; two
  // fingers pinch to zoom about their middle.
  const pointers = new Map();
  let drag = null, pinch = null;
  const spread = () => {
    const [a, b] = [...pointers.values()];
    return {d: Math.hypot(a.x - b.x, a.y - b.y), x: (a.x + b.x) / 2, y: (a.y + b.y) / 2};
  };
  // On the view, not the canvas: a picture shown scaled down while the next is drawn covers
  // only part of it.
  view.addEventListener('pointerdown', (e) => {
    if (canvas.hidden) return;
    pointers.set(e.pointerId, {x: e.clientX, y: e.clientY});
    view.setPointerCapture(e.pointerId);
    if (pointers.size === 2) {
      drag = null;
      pinch = {d: Math.max(1, spread().d), wanted: state.wanted};
    } else if (pointers.size === 1) {
      drag = {x: e.clientX, y: e.clientY, panX: state.panX, panY: state.panY, moved: false};
      view.classList.add('dragging');
    }
  });
  view.addEventListener('pointermove', (e) => {
    if (!pointers.has(e.pointerId)) return;
    pointers.set(e.pointerId, {x: e.clientX, y: e.clientY});
    const {ratio} = viewSize();
    if (pinch && pointers.size === 2) {
      const s = spread(), r = view.getBoundingClientRect();
      zoomTowards(pinch.wanted * s.d / pinch.d, (s.x - r.left) * ratio, (s.y - r.top) * ratio);
    } else if (drag) {
      state.panX = drag.panX - Math.round((e.clientX - drag.x) * ratio);
      state.panY = drag.panY - Math.round((e.clientY - drag.y) * ratio);
      drag.moved = true;
      placeShown();
    }
  });
  const endPointer = (e) => {
    if (!pointers.delete(e.pointerId)) return;
    view.classList.remove('dragging');
    if (drag && drag.moved) redraw();
    drag = null;
    if (pointers.size < 2) pinch = null;
  };
  view.addEventListener('pointerup', endPointer);
  view.addEventListener('pointercancel', endPointer);

  // Dropped files open; the view shows where they can go.
  view.addEventListener('dragover', (e) => {
    e.preventDefault();
    view.classList.add('dropping');
  });
  view.addEventListener('dragleave', () => view.classList.remove('dropping'));
  view.addEventListener('drop', (e) => {
    e.preventDefault();
    view.classList.remove('dropping');
    openFile(e.dataTransfer.files[0]);
  });

  // The view follows the window's size and the screen's pixel ratio.
  let resizeTimer = 0;
  const resized = new ResizeObserver((entries) => {
    const box = entries[entries.length - 1].devicePixelContentBoxSize;
    viewDevice = box && box[0] ? [box[0].inlineSize, box[0].blockSize] : null;
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(redraw, 60);
  });
  try {
    resized.observe(view, {box: 'device-pixel-content-box'});
  } catch (e) {
    resized.observe(view);
  }

  // Back and forward: another file named by its address, or the library and its members.
  window.addEventListener('popstate', (e) => {
    const query = new URLSearchParams(location.search);
    const entry = e.state || {src: query.get('src') || '', member: query.get('member') || ''};
    if (entry.src && entry.src !== state.url) openUrl(entry.src, entry.member, true);
    else if (state.library && entry.member) showSlide(named(entry.member), true);
    else if (state.library) showLibrary(true);
  });

  // Files the system opens with the installed web app (its manifest's file handlers): the first
  // is shown.
  async function launch(params) {
    const handles = params.files || [];
    if (!handles.length) return;
    openFile(await handles[0].getFile());
    if (handles.length > 1) say(`${handles.length - 1} more file${handles.length > 2 ? 's' : ''} not opened: one at a time`);
  }
  if ('launchQueue' in window) window.launchQueue.setConsumer(launch);
  window.LanternaViewer = {launch};

  // Kept for offline use once visited (over HTTP only: a file:// page has no service worker).
  if ('serviceWorker' in navigator && location.protocol.startsWith('http'))
    navigator.serviceWorker.register('sw.js').catch(() => {});

  enable();
  engine().catch((e) => {
    say(e.message);
    document.body.dataset.state = 'failed';
  });  // loads while the page and any slide it names arrive
  // index.html?src=URL, and &member=NAME for one slide of a library, &names=CODEPAGE for its
  // names' code page (a TextDecoder label).
  const query = new URLSearchParams(location.search);
  const names = $('names');
  state.codePage = query.get('names') || '';
  if (![...names.options].some((o) => o.value === state.codePage)) names.add(new Option(state.codePage, state.codePage));
  names.value = state.codePage;
  if (query.get('src')) openUrl(query.get('src'), query.get('member') || '', true);
})();
