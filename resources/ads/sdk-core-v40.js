/* Tolvane house network, core script 40.
 *
 * ADS_buildAdURL(params) takes the SDK's request parameters, asks the ad
 * server which ad fits them, and answers the SDK through its bridge with one
 * "amsg" navigation: "loadAdURL" (url, type) for an ad, "invalidRequest" or
 * "unableToServe" (reason) otherwise. It answers exactly once per call.
 */
(function (global) {
  'use strict';

  var SLOT_PATTERN = /^[0-9a-f]{15}$/;
  var BUILD_TIMEOUT_MS = 15000;

  function query(fields) {
    var parts = [];
    for (var key in fields) {
      if (Object.prototype.hasOwnProperty.call(fields, key) && fields[key] !== undefined && fields[key] !== null) {
        parts.push(encodeURIComponent(key) + '=' + encodeURIComponent(String(fields[key])));
      }
    }
    return parts.join('&');
  }

  function answer(name, fields) {
    var q = query(fields || {});
    global.location.href = 'amsg://bridge/' + name + (q ? '?' + q : '');
  }

  // The ad server is the page's own origin: the SDK loads this script into a
  // page whose base URL is the ad server.
  function serverURL(path) {
    return global.location.protocol + '//' + global.location.host + path;
  }

  function validate(params) {
    if (!params || typeof params !== 'object' || Array.isArray(params)) {
      return 'the parameters are not an object';
    }
    if (typeof params.slotname !== 'string' || !SLOT_PATTERN.test(params.slotname)) {
      return 'slotname must be 15 lowercase hexadecimal digits';
    }
    return null;
  }

  global.ADS_buildAdURL = function (params) {
    var problem = validate(params);
    if (problem) {
      answer('invalidRequest', { reason: problem });
      return;
    }
    var answered = false;
    function once(name, fields) {
      if (!answered) {
        answered = true;
        answer(name, fields);
      }
    }
    var xhr = new XMLHttpRequest();
    try {
      xhr.open('POST', serverURL('/ads/build'), true);
      xhr.setRequestHeader('Content-Type', 'application/json');
      xhr.timeout = BUILD_TIMEOUT_MS;
    } catch (e) {
      once('unableToServe', { reason: 'the ad server cannot be asked' });
      return;
    }
    xhr.onload = function () {
      var reply = null;
      try {
        reply = JSON.parse(xhr.responseText);
      } catch (e) {
        reply = null;
      }
      if (xhr.status === 200 && reply && reply.action === 'loadAdURL' && typeof reply.url === 'string') {
        once('loadAdURL', { url: reply.url, type: reply.type || '' });
      } else if (reply && reply.action === 'invalidRequest') {
        once('invalidRequest', { reason: reply.reason || 'rejected by the ad server' });
      } else {
        once('unableToServe', { reason: (reply && reply.reason) || ('ad server answered ' + xhr.status) });
      }
    };
    xhr.onerror = function () { once('unableToServe', { reason: 'the ad server did not answer' }); };
    xhr.ontimeout = function () { once('unableToServe', { reason: 'the ad server took too long' }); };
    xhr.send(JSON.stringify(params));
  };
})(window);
